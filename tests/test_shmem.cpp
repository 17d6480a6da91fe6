#include "vulm/shmem.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support.h"

namespace {

// Each test works in a private temporary directory and removes every
// segment that it made for a key file it named, also when a check failed.
class Shmem : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vulm-shmem-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }

    void TearDown() override
    {
        for (const std::string &path : keyFiles) {
            struct shmid_ds ds;
            int id = shmget(ftok(path.c_str(), 'R'), 0, 0);
            if (id != -1 && shmctl(id, IPC_STAT, &ds) == 0 && ds.shm_cpid == self) {
                EXPECT_EQ(shmctl(id, IPC_RMID, NULL), 0) << path;
            }
        }
        nftw(dir.c_str(), [](const char *p, const struct stat *, int, struct FTW *) { return remove(p); }, 16,
             FTW_DEPTH | FTW_PHYS);
    }

    // A path inside the private directory whose segment TearDown removes.
    std::string keyFile(const std::string &relative)
    {
        keyFiles.push_back(dir + "/" + relative);
        return keyFiles.back();
    }

    // shmem_get, failing the test by name where the path's key belongs to a
    // segment that this process did not make: outside a private IPC
    // namespace, another process can have left it behind.
    void *get(const std::string &path, size_t size, int access)
    {
        void *mem = shmem_get(path.c_str(), size, access);
        int error = errno;
        struct shmid_ds ds;
        key_t key = ftok(path.c_str(), 'R');
        int id = key == -1 ? -1 : shmget(key, 0, 0);
        if (id != -1 && shmctl(id, IPC_STAT, &ds) == 0 && ds.shm_cpid != self)
            ADD_FAILURE() << "the key 0x" << std::hex << key << std::dec << " of " << path
                          << " is taken by segment " << id << ", left behind by process " << ds.shm_cpid
                          << "; remove it: ipcrm -m " << id;
        errno = error;
        return mem;
    }

    std::string dir;
    std::vector<std::string> keyFiles;
    const pid_t self = getpid();
};

mode_t modeOf(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// The permissions of the path's segment, read from the kernel's own table
// rather than through shmctl(IPC_STAT): qemu-s390x translates struct
// shmid_ds wrongly and gives the mode as 0.
int segmentMode(const std::string &path)
{
    FILE *table = fopen("/proc/sysvipc/shm", "r");
    if (table == NULL)
        return -1;
    char line[512];
    int key, perms, mode = -1;
    while (fgets(line, sizeof line, table) != NULL)
        if (sscanf(line, "%d %*d %o", &key, &perms) == 2 && key == ftok(path.c_str(), 'R'))
            mode = perms & 0777;
    fclose(table);
    return mode;
}

// Fills the stack below the caller with '/': a path copy that lost its
// terminator, or a scan past it, then runs into slashes and overruns.
__attribute__((noinline)) void dirtyStack()
{
    volatile char junk[16384];
    for (char &c : const_cast<char(&)[16384]>(junk))
        c = '/';
}

// The lowest free descriptor: unchanged unless a call leaked one.
int nextDescriptor()
{
    int fd = dup(0);
    close(fd);
    return fd;
}

// Directories 0775 whatever the caller's umask, which is restored; the key
// file 0660 under it; one segment that two processes share.
TEST_F(Shmem, CreatesDirectoriesKeyFileAndSegmentSharedAcrossProcesses)
{
    const std::string path = keyFile("a/b/key");
    mode_t old = umask(0);
    int fd = nextDescriptor();
    void *mem = get(path, 4096, 1);
    EXPECT_EQ(nextDescriptor(), fd) << "key file left open";
    EXPECT_EQ(umask(old), 0u) << "umask restored";
    ASSERT_NE(mem, nullptr) << strerror(errno);
    EXPECT_EQ(modeOf(dir + "/a"), S_IFDIR | 0775u);
    EXPECT_EQ(modeOf(dir + "/a/b"), S_IFDIR | 0775u);
    EXPECT_EQ(modeOf(path), S_IFREG | 0660u);

    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        void *own = shmem_get(path.c_str(), 4096, 1);
        if (own == NULL)
            _exit(2);
        static_cast<volatile uint8_t *>(own)[4095] = 0x5A;
        _exit(shmem_free(own) == 0 ? 0 : 3);
    }
    Watchdog watchdog(60);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(static_cast<volatile uint8_t *>(mem)[4095], 0x5A);
    EXPECT_EQ(shmem_free(mem), 0);
    EXPECT_EQ(shmem_free(mem), -1);

    int in = dup(0); // with 0 free, the key file is opened as 0, and closed
    close(0);
    void *again = get(path, 4096, 1);
    EXPECT_EQ(fcntl(0, F_GETFD), -1) << "descriptor 0 left open";
    dup2(in, 0);
    close(in);
    EXPECT_EQ(shmem_free(again), 0);

}

// Access 1 is owner only, anything else owner and group; an existing
// segment is reused with its own mode.
TEST_F(Shmem, AccessOneIsOwnerOnly)
{
    const struct {
        int access;
        int mode;
    } cases[] = {{1, 0600}, {0, 0660}, {2, 0660}};
    for (const auto &c : cases) {
        const std::string path = keyFile("key" + std::to_string(c.access));
        void *mem = get(path, 64, c.access);
        ASSERT_NE(mem, nullptr) << c.access;
        void *again = get(path, 64, c.access == 1 ? 0 : 1);
        EXPECT_NE(again, nullptr);
        EXPECT_EQ(segmentMode(path), c.mode) << c.access;
        shmem_free(mem);
        shmem_free(again);
    }
}

TEST_F(Shmem, RelativePathsAndPathsWithoutDirectories)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    keyFile("d/key");
    keyFile("plain");
    dirtyStack();
    void *nested = get("d/key", 32, 1);
    dirtyStack();
    void *plain = get("plain", 32, 1);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_NE(nested, nullptr);
    EXPECT_NE(plain, nullptr);
    EXPECT_EQ(modeOf(dir + "/d"), S_IFDIR | 0775u);
    shmem_free(nested);
    shmem_free(plain);
}

// Paths up to 4095 bytes are accepted, longer ones refused before anything
// is made; every failure gives null and restores the umask.
TEST_F(Shmem, FailuresGiveNull)
{
    std::string longPath = dir;
    while (longPath.size() + 201 < 4095)
        longPath += "/" + std::string(200, 'd');
    longPath += "/" + std::string(4095 - longPath.size() - 1, 'k');
    keyFiles.push_back(longPath);
    void *mem = get(longPath, 16, 1);
    EXPECT_NE(mem, nullptr) << strerror(errno);
    shmem_free(mem);
    const std::string tooLong = dir + "/x/" + std::string(4096 - dir.size() - 3, 'k');
    const std::string file = keyFile("file"), small = keyFile("small");
    close(open(file.c_str(), O_CREAT | O_WRONLY, 0600));
    void *segment = get(small, 64, 1);
    ASSERT_NE(segment, nullptr);
    mode_t old = umask(027);
    // sysfs refuses mkdir (EPERM, or EACCES in a user namespace) where open()
    // would say ENOENT. Where /sys takes a directory, that case is left out.
    int sysfs = mkdir("/sys/vulm-shmem", 0775) == 0 ? 0 : errno;
    rmdir("/sys/vulm-shmem");
    const struct {
        std::string path;
        size_t size;
        int error; // errno after the failure: EDOM where no call may set it
    } refused[] = {{tooLong, 16, EDOM}, {"", 16, ENOENT}, {file + "/sub/key", 16, ENOTDIR},
                   {dir + "/trailing/", 16, EISDIR}, {dir + "/zero", 0, EINVAL},
                   {"/sys/vulm-shmem/key", 16, sysfs}};
    for (const auto &r : refused) {
        if (r.error == 0)
            continue;
        dirtyStack(); // and nothing else in between
        errno = EDOM;
        void *mem = get(r.path, r.size, 1);
        EXPECT_EQ(mem, nullptr) << r.path;
        EXPECT_EQ(errno, r.error) << r.path;
    }
    EXPECT_EQ(modeOf(dir + "/x"), 0u);
    EXPECT_EQ(shmem_get(small.c_str(), 1 << 20, 1), nullptr) << "larger than the existing segment";
    {
        fault::FailCalls failKey("ftok", ENOENT);
        EXPECT_EQ(shmem_get(small.c_str(), 16, 1), nullptr);
    }
    {
        fault::FailCalls failAttach("shmat", ENOMEM);
        EXPECT_EQ(shmem_get(small.c_str(), 16, 1), nullptr);
    }
    {
        fault::FailCalls failGet("shmget", ENOSPC);
        EXPECT_EQ(shmem_get(small.c_str(), 16, 1), nullptr);
        EXPECT_EQ(errno, ENOSPC) << "the errno of the failing call";
    }
    EXPECT_EQ(umask(old), 027u);
    keyFiles.push_back(dir + "/zero");
    shmem_free(segment);
}

TEST(ShmemDeathTest, NullPathEndsTheProcessWithItsAssertion)
{
    EXPECT_DEATH(shmem_get(NULL, 16, 1), "file != NULL");
}

} // namespace
