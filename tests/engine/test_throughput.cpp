// Speed and time left: the arithmetic under steady, changing and stalled progress.

#include "harness/helpers.h"
#include "korverify/throughput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <tuple>

using namespace kortest;

namespace
{

void Sample(Throughput& t, double seconds, double bytes, double perFile)
{
    t.Update(static_cast<std::uint64_t>(bytes), static_cast<std::uint64_t>(bytes / perFile), seconds);
}

} // namespace

TEST(Throughput, SteadyRateGivesExactRatesAndATimeLeftThatRunsDown)
{
    // 1 GB at 100 MB/s in 10 MB files, and 50 MB in 10 kB files at 5 MB/s.
    for (const auto& [rate, perFile] : {std::pair{100e6, 10e6}, std::pair{5e6, 10e3}})
    {
        Throughput t(static_cast<std::uint64_t>(rate * 10), static_cast<std::uint64_t>(rate * 10 / perFile));
        EXPECT_LT(t.SecondsLeft(), 0); // nothing known yet
        double previous = 1e9;
        for (int i = 1; i <= 90; ++i)
        {
            Sample(t, i * 0.1, rate * i * 0.1, perFile);
            EXPECT_LE(t.SecondsLeft(), previous + 1e-9) << "sample " << i;
            previous = t.SecondsLeft();
        }
        EXPECT_NEAR(t.BytesPerSecond(), rate, rate * 0.01);
        EXPECT_NEAR(t.FilesPerSecond(), rate / perFile, rate / perFile * 0.02);
        EXPECT_NEAR(t.SecondsLeft(), 1.0, 0.05);
        EXPECT_EQ(t.ManySmallFiles(), perFile < 1e6);
        Sample(t, 10.0, rate * 10, perFile);
        EXPECT_EQ(t.SecondsLeft(), 0);
    }
}

TEST(Throughput, ChangesAreSmoothedWithinBounds)
{
    Throughput t(10'000'000'000, 100);
    for (int i = 1; i <= 50; ++i)
        Sample(t, i * 0.1, 100e6 * i * 0.1, 1e8);
    // The speed triples: the rate climbs to it without overshooting, the time left
    // falls by less than a tenth per sample. Then a stall: the rate decays, the time
    // left grows by less than a tenth per sample.
    double rate = t.BytesPerSecond(), left = t.SecondsLeft();
    for (int i = 1; i <= 120; ++i)
    {
        const bool stalled = i > 100;
        Sample(t, 5.0 + i * 0.1, 500e6 + 300e6 * std::min(i, 100) * 0.1, 1e8);
        EXPECT_LE(t.BytesPerSecond(), 300e6 + 1);
        EXPECT_TRUE(stalled ? t.BytesPerSecond() < rate : t.BytesPerSecond() >= rate - 1) << i;
        EXPECT_TRUE(stalled ? t.SecondsLeft() < left * 1.1 : t.SecondsLeft() <= left) << i;
        EXPECT_GT(t.SecondsLeft(), left * 0.9 - 0.1) << i;
        EXPECT_TRUE(i != 100 || std::abs(t.BytesPerSecond() - 300e6) < 3e6);
        rate = t.BytesPerSecond();
        left = t.SecondsLeft();
    }
}

TEST(Throughput, SamplesTooCloseOrGoingBackAreIgnored)
{
    Throughput t(1000, 10);
    t.Update(100, 1, 0.1);
    EXPECT_DOUBLE_EQ(t.BytesPerSecond(), 1000);
    EXPECT_DOUBLE_EQ(t.SecondsLeft(), 0.9);
    for (const auto& [bytes, files, seconds] : {std::tuple{900, 9, 0.15}, {50, 1, 0.5}, {200, 2, 0.05}})
        t.Update(bytes, files, seconds); // too soon, amounts going back, time going back
    EXPECT_DOUBLE_EQ(t.BytesPerSecond(), 1000);
    EXPECT_DOUBLE_EQ(t.SecondsLeft(), 0.9);
}

TEST(ProgressTally, PassesShareEachFileAndTheFiguresChangeAtMostTenTimesASecond)
{
    // 100 files of 3 MB, each hashed, copied and hashed again (three passes), at a
    // steady 300 MB/s of passes, one step a millisecond: 100 MB/s of files.
    long step = 0;
    ProgressTally tally([&step] { return step / 1000.0; });
    tally.Start(100, 300'000'000, 3);
    int samples = 0;
    for (int file = 0; file < 100; ++file)
    {
        for (int pass = 0; pass < 3; ++pass)
            for (int k = 1; k <= 10; ++k)
            {
                ++step;
                if (k < 10)
                    tally.PassAt(300'000 * k);
                else
                    tally.PassDone(3'000'000);
                if (k == 10 && pass == 2)
                    tally.FileDone(file == 0 ? 0 : 3'000'000); // a smaller size never goes back
                EXPECT_EQ(tally.BytesDone(), static_cast<std::uint64_t>(step) * 100'000);
                if (!tally.Sample())
                    continue;
                ++samples;
                if (step < 1000)
                    continue; // the start has faded from the smoothed figures
                EXPECT_NEAR(tally.Figures().BytesPerSecond(), 100e6, 1e5);
                EXPECT_NEAR(tally.Figures().FilesPerSecond(), 100 / 3.0, 3); // 3 or 4 files a sample
                EXPECT_NEAR(tally.Figures().SecondsLeft(), 3 - step / 1000.0, 0.01);
            }
    }
    EXPECT_EQ(tally.FilesDone(), 100u);
    EXPECT_GE(samples, 29); // 3 seconds
    EXPECT_LE(samples, 30);
}

TEST(ProgressTally, SizesAddedUpWhileTheOperationRunsGiveATimeLeftByBytes)
{
    // A sparse 4 GB file and three of one byte, at 100 MB/s into the big one: no file
    // is done, so only their sizes, added up on the survey's thread, tell a time left.
    TempDir dir;
    std::vector<wxString> files = {dir / "big.bin"};
    Shell("truncate -s 4000000000 " + ShellQuote(files[0]));
    for (const char* name : {"a", "b", "c"})
        files.push_back(dir.WriteFile(name, "x"));
    double now = 0;
    ProgressTally tally([&now] { return now; });
    tally.Start(files.size(), {std::make_shared<const std::vector<wxString>>(files)});
    double left = -1;
    for (int tick = 1; tick <= 200 && left < 0; ++tick)
    {
        now = tick * 0.1;
        tally.PassAt(static_cast<std::uint64_t>(now * 1e8));
        if (tally.Sample())
            left = tally.Figures().SecondsLeft();
        if (left < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_GE(left, 0) << "the sizes never came in";
    EXPECT_NEAR(left, (4e9 + 3 - now * 1e8) / 1e8, 0.01);
}
