// Source hashes computed ahead of a worker on a thread of their own.

#include "harness/helpers.h"

#include "korverify/hashreadahead.h"

#include "korbase/hash.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace kortest;

namespace
{

// A hash function that counts its calls.
struct CountingMd5
{
    std::shared_ptr<std::atomic<int>> calls = std::make_shared<std::atomic<int>>(0);

    HashReadAhead::HashFunction Function() const
    {
        return [calls = calls](const wxString& file) {
            ++*calls;
            return KcvCalcHashFromFile(file, HASH_MD5);
        };
    }
};

// True when `calls` stays at `expected` for a while: the read-ahead waits.
bool Settles(const std::atomic<int>& calls, int expected)
{
    PumpUntil([&] { return calls.load() >= expected; }, std::chrono::seconds(30), "read-ahead progress");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return calls.load() == expected;
}

std::vector<wxString> SmallFiles(const TempDir& dir, int count)
{
    std::vector<wxString> files;
    for (int i = 0; i < count; ++i)
        files.push_back(dir.WriteFile(wxString::Format("f%03d.bin", i), std::string(100 + i, char('a' + i % 26))));
    return files;
}

} // namespace

TEST(HashReadAhead, HashesWithinItsWindowAndNeverAFileTwice)
{
    TempDir dir;
    const int n = static_cast<int>(HashReadAhead::WINDOW) + 36;
    const std::vector<wxString> files = SmallFiles(dir, n);
    CountingMd5 md5;
    HashReadAhead ahead(files, md5.Function(), 1 << 20);
    EXPECT_TRUE(Settles(*md5.calls, static_cast<int>(HashReadAhead::WINDOW)));

    int computedAhead = 0;
    for (int i = 0; i < n; ++i)
    {
        wxString hash;
        if (ahead.Take(i, hash))
        {
            ++computedAhead;
            EXPECT_EQ(hash.ToStdString(), CoreutilsHash("md5sum", files[i])) << i;
        }
    }
    EXPECT_GE(computedAhead, static_cast<int>(HashReadAhead::WINDOW));
    EXPECT_EQ(md5.calls->load(), computedAhead); // a file the caller hashes itself is skipped
}

TEST(HashReadAhead, LeavesBigAndMissingFilesToTheCallerAndWaitsThere)
{
    TempDir dir;
    const std::vector<wxString> files{dir.WriteFile("small1", "s"), dir.WriteFile("big", std::string(5000, 'b')),
                                      dir / "missing", dir.WriteFile("small2", "t")};
    CountingMd5 md5;
    HashReadAhead ahead(files, md5.Function(), 1000);
    // Nothing is read past the big file until the caller has taken it.
    EXPECT_TRUE(Settles(*md5.calls, 1));
    wxString hash;
    EXPECT_TRUE(ahead.Take(0, hash));
    EXPECT_EQ(hash.ToStdString(), CoreutilsHash("md5sum", files[0]));
    EXPECT_FALSE(ahead.Take(1, hash));
    EXPECT_TRUE(Settles(*md5.calls, 1));
    EXPECT_FALSE(ahead.Take(2, hash));
    EXPECT_TRUE(Settles(*md5.calls, 2));
    EXPECT_TRUE(ahead.Take(3, hash));
    EXPECT_EQ(hash.ToStdString(), CoreutilsHash("md5sum", files[3]));
}
