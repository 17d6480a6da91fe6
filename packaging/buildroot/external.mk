# The packages' version: the release's, 1.0.0; for a checkout that a
# package's _OVERRIDE_SRCDIR names, what git describes there (or custom),
# so that legal-info says what was built.
vulm-common-version = $(if $($(1)_OVERRIDE_SRCDIR),$(shell git -C '$($(1)_OVERRIDE_SRCDIR)' describe --always --dirty 2>/dev/null || echo custom),1.0.0)

include $(sort $(wildcard $(BR2_EXTERNAL_VULM_COMMON_PATH)/package/*/*.mk))
