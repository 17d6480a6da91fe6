################################################################################
#
# vulm-common-example-c
#
################################################################################

# The C example client, examples/c/ of the library's release archive (the
# same download as vulm-common's), or of the checkout that
# VULM_COMMON_EXAMPLE_C_OVERRIDE_SRCDIR in local.mk names.
VULM_COMMON_EXAMPLE_C_VERSION = $(call vulm-common-version,VULM_COMMON_EXAMPLE_C)
VULM_COMMON_EXAMPLE_C_SOURCE = vulm-common-$(VULM_COMMON_EXAMPLE_C_VERSION).tar.gz
VULM_COMMON_EXAMPLE_C_SITE = $(call qstrip,$(BR2_PACKAGE_VULM_COMMON_SITE))
VULM_COMMON_EXAMPLE_C_DL_SUBDIR = vulm-common
VULM_COMMON_EXAMPLE_C_SUBDIR = examples/c
VULM_COMMON_EXAMPLE_C_OVERRIDE_SRCDIR_RSYNC_EXCLUSIONS = --exclude=/build
VULM_COMMON_EXAMPLE_C_LICENSE = PROPRIETARY
VULM_COMMON_EXAMPLE_C_LICENSE_FILES = debian/copyright
VULM_COMMON_EXAMPLE_C_REDISTRIBUTE = NO
VULM_COMMON_EXAMPLE_C_DEPENDENCIES = vulm-common

$(eval $(cmake-package))
