#pragma once
// RIFF chunk files: a bounds-checked reader that walks chunks by id, and a writer
// that patches chunk sizes and pad bytes as chunks are closed.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileIO.h"

namespace orlim {

constexpr std::uint32_t fourcc(const char (&id)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(id[0])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(id[1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(id[2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(id[3])) << 24;
}

inline constexpr std::uint32_t kRiffId = fourcc("RIFF");
inline constexpr std::uint32_t kListId = fourcc("LIST");

struct RiffChunk {
    std::uint32_t id = 0;
    // Bytes of data, after clamping to the parent; includes the type of RIFF and LIST.
    std::uint32_t size = 0;
    // Form or list type of RIFF and LIST chunks, else 0.
    std::uint32_t type = 0;
    // File offset of the first data byte (the type of RIFF and LIST chunks).
    std::uint64_t dataOffset = 0;

    std::uint64_t end() const { return dataOffset + size; }
};

class RiffReader {
public:
    bool open(const std::string& path);
    // Reads chunks from memory that outlives the reader.
    bool openMemory(const void* data, std::size_t size);
    void close() { file_.close(); }

    // Plain reads are not bounded by any chunk; they stop only at the end of the file.
    std::size_t read(void* data, std::size_t count) { return file_.read(data, count); }
    bool seek(std::uint64_t offset) { return file_.seek(offset); }
    std::uint64_t tell() const { return file_.tell(); }
    std::uint64_t fileSize() const { return file_.size(); }

    // Searches forward from the current position, inside `parent` (the whole file
    // when null), for a chunk with this id. On success the position is at its data;
    // on failure it is at the end of the searched range.
    bool descend(RiffChunk& found, const RiffChunk* parent, std::uint32_t id);
    // The same for a RIFF form or LIST of the given type; the position is after the type.
    bool descendRiff(RiffChunk& found, const RiffChunk* parent, std::uint32_t formType);
    bool descendList(RiffChunk& found, const RiffChunk* parent, std::uint32_t listType);
    // Moves past the chunk and its pad byte.
    bool ascend(const RiffChunk& chunk);

    // Chunks that claimed more bytes than their parent (or the file) holds and were
    // cut to fit.
    unsigned damage() const { return damage_; }

private:
    bool find(RiffChunk& found, const RiffChunk* parent, std::uint32_t id, bool typed,
              std::uint32_t type);

    FileReader file_;
    unsigned damage_ = 0;
};

class RiffWriter {
public:
    // Creates the file through a FileWriter: the target is replaced only on commit().
    bool create(const std::string& path);

    bool beginChunk(std::uint32_t id);
    // A RIFF form or a LIST with its type.
    bool beginList(std::uint32_t listId, std::uint32_t type);
    // Patches the size of the innermost open chunk and writes its pad byte.
    bool endChunk();
    bool write(const void* data, std::size_t count);
    // A whole chunk in one call.
    bool writeChunk(std::uint32_t id, const void* data, std::size_t count);

    bool good() const { return file_.good(); }
    // Closes every open chunk, then commits the file. False on any failure.
    bool commit();
    void discard() { file_.discard(); }

private:
    FileWriter file_;
    std::vector<std::uint64_t> open_;
};

} // namespace orlim
