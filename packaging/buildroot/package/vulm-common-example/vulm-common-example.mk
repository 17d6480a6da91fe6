################################################################################
#
# vulm-common-example
#
################################################################################

# The example clients of the library's checkout (examples/: C++;
# examples/c/: C, package vulm-common-example-c).
VULM_COMMON_EXAMPLE_VERSION = 1.0.0
VULM_COMMON_EXAMPLE_SITE = $(BR2_EXTERNAL_VULM_COMMON_PATH)/../../examples
VULM_COMMON_EXAMPLE_SITE_METHOD = local
VULM_COMMON_EXAMPLE_LICENSE = PROPRIETARY
VULM_COMMON_EXAMPLE_REDISTRIBUTE = NO
VULM_COMMON_EXAMPLE_DEPENDENCIES = vulm-common

$(eval $(cmake-package))
