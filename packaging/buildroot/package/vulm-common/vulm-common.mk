################################################################################
#
# vulm-common
#
################################################################################

# The library's own checkout, two levels above this external tree; or set
# VULM_COMMON_OVERRIDE_SRCDIR in local.mk to another.
VULM_COMMON_VERSION = 1.0.0
VULM_COMMON_SITE = $(BR2_EXTERNAL_VULM_COMMON_PATH)/../..
VULM_COMMON_SITE_METHOD = local
VULM_COMMON_LICENSE = PROPRIETARY
VULM_COMMON_LICENSE_FILES = debian/copyright
VULM_COMMON_INSTALL_STAGING = YES
VULM_COMMON_CONF_OPTS =

$(eval $(cmake-package))
