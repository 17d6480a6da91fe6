/*
 * Export marker shared by the public headers of libvulm-common. The static
 * archive is built with VULM_STATIC defined: its names are hidden there, and
 * the linker keeps them hidden in whatever links the archive (clients need
 * not define it), so that a shared object linked with it keeps its own copy
 * and exports nothing of the library.
 */
#ifndef VULM_API_H
#define VULM_API_H

#if defined(__GNUC__) && defined(VULM_STATIC)
#define VULM_API __attribute__((visibility("hidden")))
#elif defined(__GNUC__)
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
