// The byte queue between a render pass and its consumer.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/render/StreamBuffer.h"
#include "engine/render/TempPath.h"
#include "platform/Settings.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;

// Bytes 0, 1, 2, ... from `first` on, wrapping at 251 so that no run lines up with
// the window's size.
std::vector<unsigned char> pattern(std::size_t count, std::size_t first = 0)
{
    std::vector<unsigned char> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>((first + i) % 251);
    return bytes;
}

class StreamBufferTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SettingsProfile("Orlim").writeString("Player", "TempPath", temp.path())); }
    void TearDown() override { SettingsProfile("Orlim").deleteEntry("Player", "TempPath"); }

    TempDir temp;
};

TEST_F(StreamBufferTest, AWriteLargerThanTheWindowWithTheReaderBehindComesBackInOrder)
{
    auto stream = StreamBuffer::create();
    ASSERT_TRUE(stream);
    const auto first = pattern(1000);
    ASSERT_TRUE(stream->write(first.data(), static_cast<std::int64_t>(first.size())));
    // Far more than the window while 1000 bytes are still unread.
    const auto second = pattern(5 * StreamBuffer::kCapacity + 17, first.size());
    ASSERT_TRUE(stream->write(second.data(), static_cast<std::int64_t>(second.size())));
    EXPECT_EQ(stream->writtenCount(), first.size() + second.size());
    // The bytes beyond the window went to the file at their own offsets.
    EXPECT_GE(std::filesystem::file_size(stream->filePath()), first.size() + second.size());

    std::vector<unsigned char> back(first.size() + second.size());
    std::size_t got = 0;
    // Odd piece sizes, some larger than the window, so that every refill path runs.
    const std::size_t pieces[] = {1, 333, StreamBuffer::kCapacity, 7, 2 * StreamBuffer::kCapacity + 5, 4096};
    for (std::size_t i = 0; got < back.size(); ++i)
        got += stream->read(back.data() + got, std::min(pieces[i % std::size(pieces)], back.size() - got));
    EXPECT_EQ(back, pattern(back.size()));
    EXPECT_EQ(stream->readCount(), back.size());
}

TEST_F(StreamBufferTest, ReadingAnEmptyStreamReturnsZeroAndChangesNothing)
{
    auto stream = StreamBuffer::create();
    ASSERT_TRUE(stream);
    unsigned char byte = 42;
    EXPECT_EQ(stream->read(&byte, 1), 0u);
    EXPECT_EQ(byte, 42);
    EXPECT_EQ(stream->readCount(), 0u);

    const auto bytes = pattern(10);
    ASSERT_TRUE(stream->write(bytes.data(), 10));
    std::vector<unsigned char> back(20, 0);
    EXPECT_EQ(stream->read(back.data(), back.size()), 10u);
    EXPECT_EQ(stream->read(back.data(), back.size()), 0u);
    EXPECT_EQ(stream->readCount(), 10u);
}

TEST_F(StreamBufferTest, AWriteOfNoBytesIsRefused)
{
    auto stream = StreamBuffer::create();
    ASSERT_TRUE(stream);
    unsigned char byte = 1;
    EXPECT_FALSE(stream->write(&byte, 0));
    EXPECT_FALSE(stream->write(&byte, -5));
    EXPECT_EQ(stream->writtenCount(), 0u);
    EXPECT_FALSE(stream->failed());
}

TEST_F(StreamBufferTest, RandomWritesAndReadsKeepTheOrderOfAQueue)
{
    auto stream = StreamBuffer::create();
    ASSERT_TRUE(stream);
    std::mt19937 random(7);
    std::deque<unsigned char> expected;
    std::size_t produced = 0;
    for (int step = 0; step < 2000; ++step) {
        if (random() % 2) {
            const std::size_t count = 1 + random() % (StreamBuffer::kCapacity / 3);
            const auto bytes = pattern(count, produced);
            produced += count;
            ASSERT_TRUE(stream->write(bytes.data(), static_cast<std::int64_t>(count)));
            expected.insert(expected.end(), bytes.begin(), bytes.end());
        } else {
            std::vector<unsigned char> back(1 + random() % (StreamBuffer::kCapacity / 2));
            const std::size_t got = stream->read(back.data(), back.size());
            ASSERT_EQ(got, std::min(back.size(), expected.size()));
            ASSERT_TRUE(std::equal(back.begin(), back.begin() + static_cast<std::ptrdiff_t>(got), expected.begin()));
            expected.erase(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(got));
        }
    }
}

TEST_F(StreamBufferTest, AWriterAndAReaderOnTwoThreadsPassEveryByteInOrder)
{
    auto stream = StreamBuffer::create();
    ASSERT_TRUE(stream);
    constexpr std::size_t total = 3'000'000;
    std::thread writer([&] {
        std::size_t done = 0;
        while (done < total) {
            const std::size_t count = std::min<std::size_t>(total - done, 1 + (done * 7919) % 20000);
            const auto bytes = pattern(count, done);
            stream->write(bytes.data(), static_cast<std::int64_t>(count));
            done += count;
        }
    });
    std::vector<unsigned char> back(total);
    std::size_t got = 0;
    while (got < total) {
        const std::size_t piece = std::min<std::size_t>(total - got, 8820);
        const std::size_t n = stream->read(back.data() + got, piece);
        if (n == 0)
            std::this_thread::yield();
        got += n;
    }
    writer.join();
    EXPECT_EQ(back, pattern(total));
}

struct TempPathCase {
    const char* name;
    bool trailingSeparator;
};

TEST_F(StreamBufferTest, TheFileLiesInTheBufferFolderOfTempPathWithTheBufPrefix)
{
    const TempPathCase cases[] = {{"without a trailing separator", false}, {"with a trailing separator", true}};
    for (const TempPathCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        const std::string setting = folder.path() + (c.trailingSeparator ? "/" : "");
        ASSERT_TRUE(SettingsProfile("Orlim").writeString("Player", "TempPath", setting));
        auto stream = StreamBuffer::create();
        ASSERT_TRUE(stream);
        const std::filesystem::path file(stream->filePath());
        EXPECT_EQ(file.parent_path(), std::filesystem::path(folder.path()) / "Buffer");
        EXPECT_EQ(file.filename().string().rfind("buf", 0), 0u) << file;
        EXPECT_TRUE(std::filesystem::is_regular_file(file));
        const std::string path = stream->filePath();
        stream.reset();
        EXPECT_FALSE(std::filesystem::exists(path)) << "the file goes with its stream";
    }
}

TEST_F(StreamBufferTest, WithoutTempPathTheSystemsTemporaryFolderTakesItsPlace)
{
    SettingsProfile("Orlim").deleteEntry("Player", "TempPath");
    TempDir system;
    ScopedEnvironment tmpdir("TMPDIR", system.path());
    auto stream = StreamBuffer::create();
    ASSERT_TRUE(stream);
    EXPECT_EQ(std::filesystem::path(stream->filePath()).parent_path(), std::filesystem::path(system.path()) / "Buffer");
    EXPECT_EQ(engineTempFolder("Sample"), system.path() + "/Sample");
}

TEST_F(StreamBufferTest, AnUnusableTempPathGivesNoStream)
{
    const std::string missing[] = {temp.file("no/such/folder"), temp.file("plain-file")};
    testing::writeFile(temp.file("plain-file"), "x");
    for (const std::string& path : missing) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(SettingsProfile("Orlim").writeString("Player", "TempPath", path));
        EXPECT_EQ(StreamBuffer::create(), nullptr);
    }
}

} // namespace
} // namespace orlim
