#include "platform/FileIO.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using testing::TempDir;

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

class FileWriterTest : public ::testing::Test {
protected:
    void TearDown() override { FileWriter::failAfterBytes(std::nullopt); }
    TempDir dir;
};

TEST_F(FileWriterTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile)
{
    const std::string path = dir.file("doc.rwm");
    testing::writeFile(path, "an older and longer text");
    FileWriter writer;
    ASSERT_TRUE(writer.create(path));
    EXPECT_EQ(testing::readFile(path), "an older and longer text");
    ASSERT_TRUE(writer.write("new", 3));
    EXPECT_EQ(writer.tell(), 3u);
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(testing::readFile(path), "new");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.rwm"});
}

TEST_F(FileWriterTest, SeekingBackOverwritesInPlace)
{
    const std::string path = dir.file("doc.rwm");
    FileWriter writer;
    ASSERT_TRUE(writer.create(path));
    ASSERT_TRUE(writer.write("abcdef", 6));
    ASSERT_TRUE(writer.seek(2));
    ASSERT_TRUE(writer.write("XY", 2));
    ASSERT_TRUE(writer.seek(6));
    ASSERT_TRUE(writer.write("g", 1));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(testing::readFile(path), "abXYefg");
}

TEST_F(FileWriterTest, AFailedWriteLeavesTheTargetUntouched)
{
    struct Case {
        const char* name;
        std::uint64_t failAfter;
    };
    const Case cases[] = {
        {"at the first byte", 0},
        {"inside the second block", 5},
        {"after the second block", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("doc.rwm");
        testing::writeFile(path, "old");
        FileWriter::failAfterBytes(c.failAfter);
        FileWriter writer;
        ASSERT_TRUE(writer.create(path));
        writer.write("abcd", 4);
        writer.write("efgh", 4);
        writer.write("ijkl", 4);
        EXPECT_FALSE(writer.good());
        EXPECT_FALSE(writer.commit());
        EXPECT_EQ(testing::readFile(path), "old");
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.rwm"});
        FileWriter::failAfterBytes(std::nullopt);
    }
}

TEST_F(FileWriterTest, WritesWithinTheBudgetSucceed)
{
    const std::string path = dir.file("doc.rwm");
    FileWriter::failAfterBytes(4);
    FileWriter writer;
    ASSERT_TRUE(writer.create(path));
    EXPECT_TRUE(writer.write("abcd", 4));
    EXPECT_TRUE(writer.good());
    EXPECT_FALSE(writer.write("e", 1));
    EXPECT_FALSE(writer.write("f", 1));
}

TEST_F(FileWriterTest, DiscardAndDestructionLeaveTheTargetUntouched)
{
    const std::string path = dir.file("doc.rwm");
    testing::writeFile(path, "old");
    {
        FileWriter writer;
        ASSERT_TRUE(writer.create(path));
        ASSERT_TRUE(writer.write("new", 3));
        writer.discard();
        EXPECT_FALSE(writer.good());
        EXPECT_FALSE(writer.commit());
    }
    {
        FileWriter writer;
        ASSERT_TRUE(writer.create(path));
        ASSERT_TRUE(writer.write("new", 3));
    }
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.rwm"});
}

TEST_F(FileWriterTest, AReplacedFileKeepsItsPermissionsAndALinkStaysALink)
{
    const std::string path = dir.file("private.rwm");
    testing::writeFile(path, "old");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::string link = dir.file("link.rwm");
    std::filesystem::create_symlink(path, link);

    FileWriter writer;
    ASSERT_TRUE(writer.create(link));
    ASSERT_TRUE(writer.write("new", 3));
    ASSERT_TRUE(writer.commit());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testing::readFile(path), "new");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(FileWriterTest, AFolderInThePlaceOfTheTargetIsNotReplaced)
{
    std::filesystem::create_directory(dir.file("doc.rwm"));
    FileWriter writer;
    EXPECT_FALSE(writer.create(dir.file("doc.rwm")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("doc.rwm")));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"doc.rwm"});
}

TEST_F(FileWriterTest, CreatingInAMissingFolderFails)
{
    FileWriter writer;
    EXPECT_FALSE(writer.create(dir.file("missing/doc.rwm")));
    EXPECT_FALSE(writer.good());
    EXPECT_FALSE(writer.write("x", 1));
}

TEST(FileReader, ReadsShortAtTheEndAndRefusesToSeekPastIt)
{
    TempDir dir;
    testing::writeFile(dir.file("data"), "abcdef");
    static const char memory[] = "abcdef";
    FileReader fromFile;
    FileReader fromMemory;
    ASSERT_TRUE(fromFile.open(dir.file("data")));
    ASSERT_TRUE(fromMemory.openMemory(memory, 6));
    for (FileReader* reader : {&fromFile, &fromMemory}) {
        EXPECT_EQ(reader->size(), 6u);
        char buffer[8] = {};
        ASSERT_TRUE(reader->seek(4));
        EXPECT_EQ(reader->read(buffer, sizeof buffer), 2u);
        EXPECT_EQ(std::string(buffer, 2), "ef");
        EXPECT_EQ(reader->tell(), 6u);
        EXPECT_EQ(reader->read(buffer, sizeof buffer), 0u);
        EXPECT_TRUE(reader->seek(6));
        EXPECT_FALSE(reader->seek(7));
        EXPECT_EQ(reader->tell(), 6u);
        ASSERT_TRUE(reader->seek(0));
        EXPECT_EQ(reader->read(buffer, 3), 3u);
        EXPECT_EQ(std::string(buffer, 3), "abc");
    }
}

TEST(FileReader, OpensEmptyMemoryButNotAMissingFileOrAFolder)
{
    TempDir dir;
    FileReader reader;
    EXPECT_FALSE(reader.open(dir.file("missing")));
    EXPECT_FALSE(reader.open(dir.path()));
    EXPECT_FALSE(reader.isOpen());
    ASSERT_TRUE(reader.openMemory(nullptr, 0));
    char byte;
    EXPECT_EQ(reader.size(), 0u);
    EXPECT_EQ(reader.read(&byte, 1), 0u);
}

} // namespace
} // namespace orlim
