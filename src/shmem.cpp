// Shared-memory segments named by a file path.
#undef NDEBUG // the null-path assertion holds in release builds too
#include "vulm/shmem.h"

#include <assert.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

enum { PATH_BUFFER = 4096 };

// Creates every parent directory of `file` with mode 0775, counting one
// that already exists (EEXIST, of any kind) as made. The umask is 002 while
// it works and restored on every way out. 0 on success, -1 on failure.
static int mkpath_for(const char *file)
{
    assert(file != NULL);
    size_t length = strlen(file);
    if (length >= PATH_BUFFER)
        return -1;
    char path[PATH_BUFFER];
    memcpy(path, file, length + 1);

    mode_t previous = umask(002);
    // The first character is skipped: a leading '/' names no directory.
    for (char *slash = length > 0 ? strchr(path + 1, '/') : NULL; slash != NULL;
         slash = strchr(slash + 1, '/')) {
        *slash = '\0';
        int made = mkdir(path, 0775);
        *slash = '/';
        if (made != 0 && errno != EEXIST) {
            umask(previous);
            return -1;
        }
    }
    umask(previous);
    return 0;
}

extern "C" {

void *shmem_get(const char *path, size_t size, int access)
{
    if (mkpath_for(path) < 0)
        return NULL;
    int fd = open(path, O_RDONLY | O_CREAT, 0660);
    if (fd >= 0)
        close(fd);
    else if (errno != EEXIST)
        return NULL;
    key_t key = ftok(path, 'R');
    if (key == -1)
        return NULL;
    int id = shmget(key, size, IPC_CREAT | (access == 1 ? 0600 : 0660));
    if (id == -1)
        return NULL;
    void *address = shmat(id, NULL, 0);
    return address == (void *)-1 ? NULL : address;
}

int shmem_free(const void *address)
{
    return shmdt(address) == -1 ? -1 : 0;
}

} // extern "C"
