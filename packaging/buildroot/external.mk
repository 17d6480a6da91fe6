include $(sort $(wildcard $(BR2_EXTERNAL_VULM_COMMON_PATH)/package/*/*.mk))
