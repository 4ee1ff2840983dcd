#include "platform/Riff.h"

#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using testing::TempDir;

std::string le32(std::uint32_t value)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return bytes;
}

// A chunk as it lies in a file: id, stated size, data and the pad byte of odd sizes.
std::string chunk(const std::string& id, const std::string& data)
{
    std::string bytes = id + le32(static_cast<std::uint32_t>(data.size())) + data;
    if (data.size() & 1)
        bytes += '\0';
    return bytes;
}

std::string list(const std::string& id, const std::string& type, const std::string& children)
{
    return chunk(id, type + children);
}

// A chunk header that claims `statedSize` bytes, whatever follows it.
std::string header(const std::string& id, std::uint32_t statedSize)
{
    return id + le32(statedSize);
}

// Keeps the bytes alive for the reader that walks them from memory.
struct MemoryRiff {
    explicit MemoryRiff(std::string data) : bytes(std::move(data))
    {
        EXPECT_TRUE(reader.openMemory(bytes.data(), bytes.size()));
    }
    std::string bytes;
    RiffReader reader;
};

// A small document: a form with an odd-sized chunk, an INFO list and a data chunk.
std::string sampleForm()
{
    return list("RIFF", "TEST",
                chunk("abcd", "xyz") + list("LIST", "INFO", chunk("INAM", "name") +
                                                               chunk("ICMT", "c")) +
                    list("LIST", "data", chunk("item", "12")) + chunk("tail", "0123"));
}

TEST(RiffReader, FindsAFormThenItsChunksSearchingForward)
{
    MemoryRiff file(sampleForm());
    RiffReader& reader = file.reader;
    RiffChunk form;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    EXPECT_EQ(form.id, kRiffId);
    EXPECT_EQ(form.type, fourcc("TEST"));
    EXPECT_EQ(form.dataOffset, 8u);
    EXPECT_EQ(form.size, file.bytes.size() - 8);
    EXPECT_EQ(reader.tell(), 12u);

    RiffChunk tail;
    ASSERT_TRUE(reader.descend(tail, &form, fourcc("tail")));
    EXPECT_EQ(tail.size, 4u);
    EXPECT_EQ(reader.tell(), tail.dataOffset);
    char data[4];
    ASSERT_EQ(reader.read(data, 4), 4u);
    EXPECT_EQ(std::string(data, 4), "0123");

    // Searches go forward only: "abcd" lies behind and is found again only after a
    // seek back to the start of the form's children.
    RiffChunk odd;
    EXPECT_FALSE(reader.descend(odd, &form, fourcc("abcd")));
    ASSERT_TRUE(reader.seek(12));
    ASSERT_TRUE(reader.descend(odd, &form, fourcc("abcd")));
    EXPECT_EQ(odd.dataOffset, 20u);
    EXPECT_EQ(odd.size, 3u);
    EXPECT_EQ(reader.damage(), 0u);
}

TEST(RiffReader, FindsAListByItsTypeSkippingListsOfOtherTypes)
{
    MemoryRiff file(sampleForm());
    RiffReader& reader = file.reader;
    RiffChunk form;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    RiffChunk data;
    ASSERT_TRUE(reader.descendList(data, &form, fourcc("data")));
    EXPECT_EQ(data.id, kListId);
    EXPECT_EQ(data.type, fourcc("data"));
    EXPECT_EQ(reader.tell(), data.dataOffset + 4);

    RiffChunk item;
    ASSERT_TRUE(reader.descend(item, &data, fourcc("item")));
    EXPECT_EQ(item.size, 2u);
    ASSERT_TRUE(reader.ascend(item));
    EXPECT_EQ(reader.tell(), data.end());
    // The list's end bounds the search even though "tail" follows in the form.
    RiffChunk tail;
    EXPECT_FALSE(reader.descend(tail, &data, fourcc("tail")));
    EXPECT_EQ(reader.tell(), data.end());
}

TEST(RiffReader, SearchesFromTheListStartWhenPositionedBeforeItsChildren)
{
    MemoryRiff file(sampleForm());
    RiffReader& reader = file.reader;
    RiffChunk form;
    RiffChunk info;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    ASSERT_TRUE(reader.descendList(info, &form, fourcc("INFO")));
    // Back at the list's own data, where its type lies, not a child header.
    ASSERT_TRUE(reader.seek(info.dataOffset));
    RiffChunk comment;
    ASSERT_TRUE(reader.descend(comment, &info, fourcc("ICMT")));
    EXPECT_EQ(comment.size, 1u);
}

TEST(RiffReader, RejectsAFileOfAnotherFormTypeOrNoRiffAtAll)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"another form type", list("RIFF", "WAVE", chunk("data", "ab"))},
        {"a list instead of a form", list("LIST", "TEST", chunk("data", "ab"))},
        {"empty", ""},
        {"shorter than a header", "RIFF\x04"},
        {"a form too small for its type", header("RIFF", 2) + "TE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRiff file(c.bytes);
        RiffChunk form;
        EXPECT_FALSE(file.reader.descendRiff(form, nullptr, fourcc("TEST")));
        EXPECT_LE(file.reader.tell(), file.bytes.size());
    }
}

TEST(RiffReader, ClampsAChildThatRunsPastItsParentAndCountsIt)
{
    struct Case {
        const char* name;
        std::uint32_t statedSize;
    };
    const Case cases[] = {
        {"one byte too many", 7},
        {"far too many", 100000},
        {"the largest size", 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The inner list holds 6 bytes after its header; "next" follows it in the form.
        const std::string inner = header("big ", c.statedSize) + "123456";
        MemoryRiff file(list("RIFF", "TEST", list("LIST", "in  ", inner) + chunk("next", "ab")));
        RiffReader& reader = file.reader;
        RiffChunk form;
        RiffChunk in;
        RiffChunk big;
        ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
        ASSERT_TRUE(reader.descendList(in, &form, fourcc("in  ")));
        ASSERT_TRUE(reader.descend(big, &in, fourcc("big ")));
        EXPECT_EQ(big.size, 6u);
        EXPECT_EQ(big.end(), in.end());
        EXPECT_EQ(reader.damage(), 1u);
        // Leaving the clamped chunk lands at the parent's end, never beyond it.
        ASSERT_TRUE(reader.ascend(big));
        EXPECT_EQ(reader.tell(), in.end());
        ASSERT_TRUE(reader.ascend(in));
        RiffChunk next;
        ASSERT_TRUE(reader.descend(next, &form, fourcc("next")));
        EXPECT_EQ(next.size, 2u);
    }
}

TEST(RiffReader, ClampsAFormThatClaimsMoreThanTheFile)
{
    MemoryRiff file(header("RIFF", 0xFFFFFFF0u) + "TEST" + chunk("data", "abcd"));
    RiffReader& reader = file.reader;
    RiffChunk form;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    EXPECT_EQ(form.end(), file.bytes.size());
    EXPECT_EQ(reader.damage(), 1u);
    RiffChunk data;
    ASSERT_TRUE(reader.descend(data, &form, fourcc("data")));
    EXPECT_EQ(data.size, 4u);
    RiffChunk missing;
    EXPECT_FALSE(reader.descend(missing, &form, fourcc("none")));
    EXPECT_EQ(reader.tell(), file.bytes.size());
}

TEST(RiffReader, StepsOverEmptyChunksAndFindsWhatFollows)
{
    std::string children;
    for (int i = 0; i < 50; ++i)
        children += header("zero", 0);
    children += chunk("goal", "ab");
    MemoryRiff file(list("RIFF", "TEST", children));
    RiffReader& reader = file.reader;
    RiffChunk form;
    RiffChunk goal;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    ASSERT_TRUE(reader.descend(goal, &form, fourcc("goal")));
    EXPECT_EQ(goal.dataOffset, 12u + 50 * 8 + 8);
    EXPECT_EQ(reader.damage(), 0u);
}

TEST(RiffReader, EndsAtAHeaderCutShortByTheParent)
{
    // Three bytes remain in the form after "abcd": not enough for another header.
    MemoryRiff file(header("RIFF", 4 + 10 + 3) + "TEST" + chunk("abcd", "ab") + "xyz");
    RiffReader& reader = file.reader;
    RiffChunk form;
    RiffChunk other;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    EXPECT_FALSE(reader.descend(other, &form, fourcc("xyz\0")));
    EXPECT_EQ(reader.tell(), form.end());
}

TEST(RiffReader, SkipsATypedChunkTooShortForItsType)
{
    MemoryRiff file(list("RIFF", "TEST", chunk("LIST", "IN") + list("LIST", "INFO", "")));
    RiffReader& reader = file.reader;
    RiffChunk form;
    RiffChunk info;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    ASSERT_TRUE(reader.descendList(info, &form, fourcc("INFO")));
    EXPECT_EQ(info.dataOffset, 12u + 10u + 8u);
    EXPECT_EQ(info.size, 4u);
}

TEST(RiffReader, PlainReadsGoPastTheChunkAndStopShortAtTheEndOfTheFile)
{
    MemoryRiff file(chunk("smpl", "ab") + "cd");
    RiffReader& reader = file.reader;
    RiffChunk sample;
    ASSERT_TRUE(reader.descend(sample, nullptr, fourcc("smpl")));
    char data[8];
    EXPECT_EQ(reader.read(data, sizeof data), 4u);
    EXPECT_EQ(std::string(data, 4), "abcd");
    EXPECT_EQ(reader.read(data, sizeof data), 0u);
}

TEST(RiffReader, ReadsTheSameChunksFromAFileAsFromMemory)
{
    TempDir dir;
    const std::string bytes = sampleForm();
    testing::writeFile(dir.file("form.bin"), bytes);
    RiffReader fromFile;
    ASSERT_TRUE(fromFile.open(dir.file("form.bin")));
    MemoryRiff fromMemory(bytes);
    EXPECT_EQ(fromFile.fileSize(), bytes.size());

    for (RiffReader* reader : {&fromFile, &fromMemory.reader}) {
        RiffChunk form;
        RiffChunk info;
        RiffChunk name;
        ASSERT_TRUE(reader->descendRiff(form, nullptr, fourcc("TEST")));
        ASSERT_TRUE(reader->descendList(info, &form, fourcc("INFO")));
        ASSERT_TRUE(reader->descend(name, &info, fourcc("INAM")));
        char text[4];
        ASSERT_EQ(reader->read(text, 4), 4u);
        EXPECT_EQ(std::string(text, 4), "name");
    }
}

TEST(RiffReader, FailsToOpenAMissingFileOrAFolder)
{
    TempDir dir;
    RiffReader reader;
    EXPECT_FALSE(reader.open(dir.file("missing.rwm")));
    EXPECT_FALSE(reader.open(dir.path()));
}

class RiffWriterTest : public ::testing::Test {
protected:
    void TearDown() override { FileWriter::failAfterBytes(std::nullopt); }
    TempDir dir;
};

TEST_F(RiffWriterTest, WritesSizesPadBytesAndNestedListsExactly)
{
    const std::string path = dir.file("out.bin");
    RiffWriter writer;
    ASSERT_TRUE(writer.create(path));
    ASSERT_TRUE(writer.beginList(kRiffId, fourcc("wbmr")));
    ASSERT_TRUE(writer.writeChunk(fourcc("odd "), "abc", 3));
    ASSERT_TRUE(writer.beginList(kListId, fourcc("INFO")));
    ASSERT_TRUE(writer.writeChunk(fourcc("INAM"), "", 1));
    ASSERT_TRUE(writer.endChunk());
    ASSERT_TRUE(writer.beginChunk(fourcc("even")));
    ASSERT_TRUE(writer.write("\x01\x02", 2));
    ASSERT_TRUE(writer.endChunk());
    ASSERT_TRUE(writer.endChunk());
    ASSERT_TRUE(writer.commit());

    static const unsigned char expected[] = {
        'R', 'I', 'F', 'F', 48, 0, 0, 0, 'w', 'b', 'm', 'r',           // form, 48 bytes
        'o', 'd', 'd', ' ', 3, 0, 0, 0, 'a', 'b', 'c', 0,              // 3 bytes + pad
        'L', 'I', 'S', 'T', 14, 0, 0, 0, 'I', 'N', 'F', 'O',           // list, 14 bytes
        'I', 'N', 'A', 'M', 1, 0, 0, 0, 0, 0,                          // 1 byte + pad
        'e', 'v', 'e', 'n', 2, 0, 0, 0, 1, 2,                          // no pad
    };
    EXPECT_EQ(testing::readFile(path),
              std::string(reinterpret_cast<const char*>(expected), sizeof expected));
}

TEST_F(RiffWriterTest, CommitClosesEveryOpenChunk)
{
    const std::string path = dir.file("out.bin");
    RiffWriter writer;
    ASSERT_TRUE(writer.create(path));
    ASSERT_TRUE(writer.beginList(kRiffId, fourcc("TEST")));
    ASSERT_TRUE(writer.beginChunk(fourcc("data")));
    ASSERT_TRUE(writer.write("x", 1));
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(testing::readFile(path), list("RIFF", "TEST", chunk("data", "x")));
}

TEST_F(RiffWriterTest, EndingMoreChunksThanWereBegunFails)
{
    RiffWriter writer;
    ASSERT_TRUE(writer.create(dir.file("out.bin")));
    EXPECT_FALSE(writer.endChunk());
}

TEST_F(RiffWriterTest, WhatItWritesReadsBack)
{
    const std::string path = dir.file("out.bin");
    RiffWriter writer;
    ASSERT_TRUE(writer.create(path));
    ASSERT_TRUE(writer.beginList(kRiffId, fourcc("TEST")));
    for (const char* text : {"one", "three", "seven"})
        ASSERT_TRUE(writer.writeChunk(fourcc("text"), text, std::strlen(text)));
    ASSERT_TRUE(writer.commit());

    RiffReader reader;
    ASSERT_TRUE(reader.open(path));
    RiffChunk form;
    ASSERT_TRUE(reader.descendRiff(form, nullptr, fourcc("TEST")));
    std::vector<std::string> texts;
    RiffChunk text;
    while (reader.descend(text, &form, fourcc("text"))) {
        std::string data(text.size, '\0');
        ASSERT_EQ(reader.read(data.data(), data.size()), data.size());
        texts.push_back(data);
        ASSERT_TRUE(reader.ascend(text));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"one", "three", "seven"}));
    EXPECT_EQ(reader.damage(), 0u);
}

TEST_F(RiffWriterTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    const std::string path = dir.file("out.bin");
    testing::writeFile(path, "old contents");
    RiffWriter writer;
    ASSERT_TRUE(writer.create(path));
    FileWriter::failAfterBytes(14);
    ASSERT_TRUE(writer.beginList(kRiffId, fourcc("TEST")));
    EXPECT_FALSE(writer.writeChunk(fourcc("data"), "abcdef", 6));
    EXPECT_FALSE(writer.good());
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(testing::readFile(path), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace orlim
