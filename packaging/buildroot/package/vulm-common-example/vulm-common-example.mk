################################################################################
#
# vulm-common-example
#
################################################################################

# The C++ example client, examples/ of the library's release archive (the
# same download as vulm-common's), or of the checkout that
# VULM_COMMON_EXAMPLE_OVERRIDE_SRCDIR in local.mk names.
VULM_COMMON_EXAMPLE_VERSION = $(call vulm-common-version,VULM_COMMON_EXAMPLE)
VULM_COMMON_EXAMPLE_SOURCE = vulm-common-$(VULM_COMMON_EXAMPLE_VERSION).tar.gz
VULM_COMMON_EXAMPLE_SITE = $(call qstrip,$(BR2_PACKAGE_VULM_COMMON_SITE))
VULM_COMMON_EXAMPLE_DL_SUBDIR = vulm-common
VULM_COMMON_EXAMPLE_SUBDIR = examples
VULM_COMMON_EXAMPLE_OVERRIDE_SRCDIR_RSYNC_EXCLUSIONS = --exclude=/build
VULM_COMMON_EXAMPLE_LICENSE = PROPRIETARY
VULM_COMMON_EXAMPLE_LICENSE_FILES = debian/copyright
VULM_COMMON_EXAMPLE_REDISTRIBUTE = NO
VULM_COMMON_EXAMPLE_DEPENDENCIES = vulm-common

$(eval $(cmake-package))
