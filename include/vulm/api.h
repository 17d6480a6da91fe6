/* Export marker shared by the public headers of libvulm-common. */
#ifndef VULM_API_H
#define VULM_API_H

#if defined(__GNUC__)
#define VULM_API __attribute__((visibility("default")))
#else
#define VULM_API
#endif

#ifdef __cplusplus
#define VULM_BEGIN_C extern "C" {
#define VULM_END_C }
#else
#define VULM_BEGIN_C
#define VULM_END_C
#endif

#endif
