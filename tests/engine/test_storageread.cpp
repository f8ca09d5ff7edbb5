// Verification reads the device: bytes damaged below a warm page cache must show.

#include "harness/helpers.h"

#include "korverify/filecopy.h"
#include "korverify/growingfilehash.h"
#include "korverify/storageread.h"
#include "korverify/treecopy.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <functional>

using namespace kortest;

namespace
{

// Where the first byte of the file lies on its device, or -1.
long long PhysicalOffset(const wxString& path)
{
    alignas(fiemap) char buffer[sizeof(fiemap) + sizeof(fiemap_extent)] = {};
    auto* map = reinterpret_cast<fiemap*>(buffer);
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = 1;
    const int fd = open(path.fn_str(), O_RDONLY);
    const bool found = fd >= 0 && ioctl(fd, FS_IOC_FIEMAP, map) == 0 && map->fm_mapped_extents == 1;
    if (fd >= 0)
        close(fd);
    return found ? static_cast<long long>(map->fm_extents[0].fe_physical) : -1;
}

// An ext4 image loop-mounted on a folder for as long as it lives.
struct Mount
{
    Mount(const wxString& image, const wxString& on) : folder(on)
    {
        ok = Shell("truncate -s 32M " + ShellQuote(image) + " && mkfs.ext4 -q -F " + ShellQuote(image) +
                   " && mount -o loop " + ShellQuote(image) + " " + ShellQuote(on) + " 2>&1 && echo ok") == "ok";
    }
    ~Mount() { if (ok) Shell("umount " + ShellQuote(folder)); }
    wxString folder;
    bool ok = false;
};

} // namespace

TEST(StorageRead, DamageBelowAWarmPageCacheIsSeen)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to mount an ext4 image through a loop device";
    TempDir dir;
    const wxString image = dir / "disk.img";
    const Mount mount(image, dir.MakeDir("mnt"));
    if (!mount.ok)
        GTEST_SKIP() << "cannot make and loop-mount an ext4 image here (mkfs.ext4 from e2fsprogs, loop devices)";
    const wxString source = dir / "source.bin", damaged = dir / "damaged.bin", copy = dir / "mnt/copy.bin";
    Shell("head -c 1048576 /dev/urandom > " + ShellQuote(source) + " && cp " + ShellQuote(source) + " " +
          ShellQuote(damaged) + " && printf XXXXXXXX | dd of=" + ShellQuote(damaged) +
          " bs=1 seek=4096 conv=notrunc status=none");
    ASSERT_TRUE(CopyFileWithProgress(source, copy).ok);
    ASSERT_TRUE(MakeDurable({copy}));
    const std::string original = CoreutilsHash("md5sum", source), spoilt = CoreutilsHash("md5sum", damaged);
    // Eight bytes written into the image below the mounted file system, at 4096 into the file.
    const auto poke = [&](const wxString& file, const char* bytes) {
        const long long offset = PhysicalOffset(file);
        ASSERT_GE(offset, 0);
        const int fd = open(image.fn_str(), O_WRONLY);
        EXPECT_TRUE(pwrite(fd, bytes, 8, offset + 4096) == 8 && fsync(fd) == 0 && close(fd) == 0);
    };
    const std::string before = ReadFileBytes(source).substr(4096, 8);

    // Each way a copy is read back, with the damage made anew below a cache that holds the original.
    const std::function<wxString()> readers[] = {
        [&] { return HashFileOnSide(copy, HASH_MD5, FileSide::Destination); },
        [&] { return HashFromStorage(std::vector<wxString>{dir / "missing", copy}, HASH_MD5).at(1); },
        [&] {
            GrowingFileHasher growing(std::string(copy.fn_str()), HASH_MD5);
            growing.Written(5000);
            return growing.Finish(1048576);
        }};
    for (const auto& reader : readers)
    {
        poke(copy, before.c_str());
        EXPECT_EQ(HashFileOnSide(copy, HASH_MD5, FileSide::Destination), original);
        EXPECT_EQ(KcvCalcHashFromFile(copy, HASH_MD5), original); // now in the page cache
        poke(copy, "XXXXXXXX");
        EXPECT_EQ(KcvCalcHashFromFile(copy, HASH_MD5), original) << "a plain read still sees the cache";
        EXPECT_EQ(reader(), spoilt);
    }

    // The verified copy: damaged below its cached pages once it has its final name.
    struct : OperationObserver
    {
        FileOutcome outcome;
        void FileEnds(const FileTask&, const FileOutcome& o) override { outcome = o; }
    } observer;
    CopyJob job{{source}, dir.Path(), dir / "mnt/tree", true, {}};
    job.afterEachCopy = [&](const wxString& copied) {
        EXPECT_EQ(KcvCalcHashFromFile(copied, HASH_MD5), original);
        poke(copied, "XXXXXXXX");
    };
    CopyTreeAndVerify(job, HASH_MD5, observer, {});
    EXPECT_EQ(observer.outcome.sourceHash, original);
    EXPECT_EQ(observer.outcome.destinationHash, spoilt);
    EXPECT_FALSE(observer.outcome.match);
    EXPECT_FALSE(MakeDurable({copy, dir / "missing"}));
}
