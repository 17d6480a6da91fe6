################################################################################
#
# vulm-common-example-c
#
################################################################################

VULM_COMMON_EXAMPLE_C_VERSION = 1.0.0
VULM_COMMON_EXAMPLE_C_SITE = $(BR2_EXTERNAL_VULM_COMMON_PATH)/../../examples/c
VULM_COMMON_EXAMPLE_C_SITE_METHOD = local
VULM_COMMON_EXAMPLE_C_LICENSE = PROPRIETARY
VULM_COMMON_EXAMPLE_C_REDISTRIBUTE = NO
VULM_COMMON_EXAMPLE_C_DEPENDENCIES = vulm-common

$(eval $(cmake-package))
