/*
 * System V shared-memory segments named by a file path. Every process that
 * calls shmem_get with the same path (and a compatible size) attaches the
 * same segment. The library never removes a segment or a key file: they
 * outlive the processes until removed by other means (shmctl IPC_RMID).
 * Both functions may be called from any thread; shmem_get sets the
 * process-wide umask to 002 while it creates directories, then restores
 * the one it found. Two shmem_get calls running at once in one process can
 * leave the umask at 002 for good (the second saves the first's 002 and
 * restores it last): a program that calls it from several threads
 * serialises those calls.
 */
#ifndef VULM_SHMEM_H
#define VULM_SHMEM_H

#include <stddef.h>

#include "api.h"

VULM_BEGIN_C

/*
 * Creates the missing parent directories of `path` (mode 0775) and the key
 * file itself (0660 under the caller's umask), derives the key with
 * ftok(path, 'R'), creates or reuses the segment of `size` bytes (mode
 * 0600 when access is 1, else 0660) and attaches it read-write. Returns the
 * address, or NULL on any failure (errno as the failing call left it; a
 * path of 4096 bytes or more fails before anything is created; an existing
 * key file must open for reading, whatever the segment's mode). A null
 * path ends the process with the assertion "file != NULL", in every build.
 */
VULM_API void *shmem_get(const char *path, size_t size, int access);
/* Detaches an address from shmem_get: 0, or -1 when shmdt refuses it. */
VULM_API int shmem_free(const void *address);

VULM_END_C

#endif
