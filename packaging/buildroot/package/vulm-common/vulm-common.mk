################################################################################
#
# vulm-common
#
################################################################################

# The library's own checkout, two levels above this external tree; or set
# VULM_COMMON_OVERRIDE_SRCDIR in local.mk to another. Its build output
# (build/: build trees, Debian roots) is not copied.
VULM_COMMON_VERSION = 1.0.0
VULM_COMMON_SITE = $(BR2_EXTERNAL_VULM_COMMON_PATH)/../..
VULM_COMMON_SITE_METHOD = local
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
