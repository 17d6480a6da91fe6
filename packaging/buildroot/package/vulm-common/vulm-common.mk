################################################################################
#
# vulm-common
#
################################################################################

# The release archive that the library's scripts/release makes, served from
# the site that BR2_PACKAGE_VULM_COMMON_SITE names or from BR2_PRIMARY_SITE,
# and checked against vulm-common.hash. A checkout instead: set
# VULM_COMMON_OVERRIDE_SRCDIR in local.mk; its build output (build/) is not
# copied.
VULM_COMMON_VERSION = $(call vulm-common-version,VULM_COMMON)
VULM_COMMON_SITE = $(call qstrip,$(BR2_PACKAGE_VULM_COMMON_SITE))
VULM_COMMON_OVERRIDE_SRCDIR_RSYNC_EXCLUSIONS = --exclude=/build
VULM_COMMON_LICENSE = PROPRIETARY
VULM_COMMON_LICENSE_FILES = debian/copyright
VULM_COMMON_REDISTRIBUTE = NO
VULM_COMMON_INSTALL_STAGING = YES

# The class passes BUILD_SHARED_LIBS (ON, or OFF for BR2_STATIC_LIBS); the
# archive beside the shared object is asked for apart.
ifeq ($(BR2_SHARED_STATIC_LIBS),y)
VULM_COMMON_CONF_OPTS += -DBUILD_STATIC_LIBS=ON
endif

$(eval $(cmake-package))
