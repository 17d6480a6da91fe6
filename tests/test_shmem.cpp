#include "vulm/shmem.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
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
// segment whose key file it named, also when a check failed.
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
            key_t key = ftok(path.c_str(), 'R');
            int id = key == -1 ? -1 : shmget(key, 0, 0);
            if (id != -1) {
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

    std::string dir;
    std::vector<std::string> keyFiles;
};

mode_t modeOf(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

bool exists(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

int segmentMode(const std::string &path)
{
    struct shmid_ds ds;
    int id = shmget(ftok(path.c_str(), 'R'), 0, 0);
    if (id == -1 || shmctl(id, IPC_STAT, &ds) != 0)
        return -1;
    return ds.shm_perm.mode & 0777;
}

TEST_F(Shmem, CreatesDirectoriesKeyFileAndSegmentSharedAcrossProcesses)
{
    const std::string path = keyFile("a/b/key");
    mode_t old = umask(022);
    void *mem = shmem_get(path.c_str(), 4096, 1);
    mode_t during = umask(old);
    ASSERT_NE(mem, nullptr) << strerror(errno);
    EXPECT_EQ(during, 022u) << "umask restored";
    EXPECT_EQ(modeOf(dir + "/a"), S_IFDIR | 0775u);
    EXPECT_EQ(modeOf(dir + "/a/b"), S_IFDIR | 0775u);
    EXPECT_EQ(modeOf(path), S_IFREG | 0640u) << "0660 under the caller's umask 022";
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(segmentMode(path), 0600);

    static_cast<volatile uint8_t *>(mem)[100] = 0;
    pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        void *own = shmem_get(path.c_str(), 4096, 1);
        if (own == NULL)
            _exit(2);
        static_cast<volatile uint8_t *>(own)[100] = 0x5A;
        _exit(shmem_free(own) == 0 ? 0 : 3);
    }
    Watchdog watchdog(60);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(static_cast<volatile uint8_t *>(mem)[100], 0x5A);

    EXPECT_EQ(shmem_free(mem), 0);
    EXPECT_EQ(shmem_free(mem), -1);
    EXPECT_EQ(shmem_free(NULL), -1);
}

TEST_F(Shmem, AccessOneIsOwnerOnlyAnythingElseOwnerAndGroup)
{
    const struct {
        int access;
        int mode;
    } cases[] = {{1, 0600}, {0, 0660}, {2, 0660}, {-1, 0660}};
    for (const auto &c : cases) {
        const std::string path = keyFile("key" + std::to_string(c.access));
        void *mem = shmem_get(path.c_str(), 64, c.access);
        ASSERT_NE(mem, nullptr) << c.access;
        EXPECT_EQ(segmentMode(path), c.mode) << c.access;
        EXPECT_EQ(shmem_get(path.c_str(), 64, c.access == 1 ? 0 : 1) != NULL, true)
            << "an existing segment is reused with its own mode";
        EXPECT_EQ(segmentMode(path), c.mode) << c.access;
        shmem_free(mem);
    }
}

TEST_F(Shmem, RelativePathsAndPathsWithoutDirectories)
{
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    keyFile("dir/key");
    keyFile("plain");
    void *nested = shmem_get("dir/key", 32, 1);
    void *plain = shmem_get("plain", 32, 1);
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_NE(nested, nullptr);
    EXPECT_NE(plain, nullptr);
    EXPECT_EQ(modeOf(dir + "/dir"), S_IFDIR | 0775u);
    EXPECT_TRUE(S_ISREG(modeOf(dir + "/plain")));
    shmem_free(nested);
    shmem_free(plain);
}

TEST_F(Shmem, FailuresGiveNull)
{
    // Longest accepted path: 4095 bytes, made of 200-byte directory names.
    std::string longPath = dir;
    while (longPath.size() + 201 < 4095)
        longPath += "/" + std::string(200, 'd');
    longPath += "/" + std::string(4095 - longPath.size() - 1, 'k');
    ASSERT_EQ(longPath.size(), 4095u);
    keyFiles.push_back(longPath);
    void *mem = shmem_get(longPath.c_str(), 16, 1);
    EXPECT_NE(mem, nullptr) << strerror(errno);
    shmem_free(mem);

    // 4096 bytes: refused before anything is created.
    std::string tooLong = dir + "/x/" + std::string(4096 - dir.size() - 3, 'k');
    ASSERT_EQ(tooLong.size(), 4096u);
    EXPECT_EQ(shmem_get(tooLong.c_str(), 16, 1), nullptr);
    EXPECT_FALSE(exists(dir + "/x"));

    EXPECT_EQ(shmem_get("", 16, 1), nullptr);

    const std::string file = keyFile("file");
    int fd = open(file.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    mode_t old = umask(027);
    EXPECT_EQ(shmem_get((file + "/key").c_str(), 16, 1), nullptr) << "parent is a regular file";
    EXPECT_EQ(shmem_get((file + "/sub/key").c_str(), 16, 1), nullptr) << "mkdir under a regular file";
    EXPECT_EQ(umask(old), 027u) << "umask restored after a failed mkdir";

    EXPECT_EQ(shmem_get((dir + "/trailing/").c_str(), 16, 1), nullptr);
    EXPECT_EQ(modeOf(dir + "/trailing"), S_IFDIR | 0775u) << "directories made before the failure stay";

    const std::string zero = keyFile("zero");
    EXPECT_EQ(shmem_get(zero.c_str(), 0, 1), nullptr) << "size 0 for a new segment";
    const std::string small = keyFile("small");
    void *segment = shmem_get(small.c_str(), 64, 1);
    ASSERT_NE(segment, nullptr);
    EXPECT_EQ(shmem_get(small.c_str(), 1 << 20, 1), nullptr) << "larger than the existing segment";
    shmem_free(segment);
}

TEST_F(Shmem, KeyAndAttachFailuresGiveNull)
{
    const std::string path = keyFile("key");
    {
        fault::FailCalls failKey("ftok", ENOENT);
        EXPECT_EQ(shmem_get(path.c_str(), 16, 1), nullptr);
    }
    {
        fault::FailCalls failAttach("shmat", ENOMEM);
        EXPECT_EQ(shmem_get(path.c_str(), 16, 1), nullptr);
        EXPECT_EQ(errno, ENOMEM);
    }
    void *mem = shmem_get(path.c_str(), 16, 1); // the segment made above
    EXPECT_NE(mem, nullptr);
    shmem_free(mem);
}

TEST(ShmemDeathTest, NullPathEndsTheProcessWithItsAssertion)
{
    EXPECT_DEATH(shmem_get(NULL, 16, 1), "file != NULL");
}

} // namespace
