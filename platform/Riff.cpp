#include "platform/Riff.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace orlim {
namespace {

std::uint32_t readLe32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void writeLe32(unsigned char* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

bool RiffReader::open(const std::string& path)
{
    damage_ = 0;
    return file_.open(path);
}

bool RiffReader::openMemory(const void* data, std::size_t size)
{
    damage_ = 0;
    return file_.openMemory(data, size);
}

bool RiffReader::descend(RiffChunk& found, const RiffChunk* parent, std::uint32_t id)
{
    return find(found, parent, id, false, 0);
}

bool RiffReader::descendRiff(RiffChunk& found, const RiffChunk* parent, std::uint32_t formType)
{
    return find(found, parent, kRiffId, true, formType);
}

bool RiffReader::descendList(RiffChunk& found, const RiffChunk* parent, std::uint32_t listType)
{
    return find(found, parent, kListId, true, listType);
}

bool RiffReader::find(RiffChunk& found, const RiffChunk* parent, std::uint32_t id, bool typed,
                      std::uint32_t type)
{
    const std::uint64_t limit = parent ? std::min(parent->end(), file_.size()) : file_.size();
    std::uint64_t position = file_.tell();
    if (parent) {
        // The children of a RIFF form or LIST begin after its type.
        const bool typedParent = parent->id == kRiffId || parent->id == kListId;
        const std::uint64_t firstChild = parent->dataOffset + (typedParent ? 4 : 0);
        position = std::max(position, firstChild);
    }

    // Every step moves at least past an 8-byte header, so the walk always ends.
    while (position + 8 <= limit) {
        unsigned char header[8];
        if (!file_.seek(position) || file_.read(header, 8) != 8)
            return false;
        RiffChunk chunk;
        chunk.id = readLe32(header);
        chunk.dataOffset = position + 8;
        std::uint64_t size = readLe32(header + 4);
        if (size > limit - chunk.dataOffset) {
            size = limit - chunk.dataOffset;
            ++damage_;
        }
        chunk.size = static_cast<std::uint32_t>(size);

        if (chunk.id == id) {
            if (!typed) {
                found = chunk;
                return true;
            }
            unsigned char typeBytes[4];
            if (chunk.size >= 4 && file_.read(typeBytes, 4) == 4) {
                chunk.type = readLe32(typeBytes);
                if (chunk.type == type) {
                    found = chunk;
                    return true;
                }
            }
        }
        position = chunk.dataOffset + size + (size & 1);
    }
    file_.seek(limit);
    return false;
}

bool RiffReader::ascend(const RiffChunk& chunk)
{
    const std::uint64_t end = chunk.end() + (chunk.size & 1);
    return file_.seek(std::min(end, file_.size()));
}

bool RiffWriter::create(const std::string& path)
{
    open_.clear();
    return file_.create(path);
}

bool RiffWriter::beginChunk(std::uint32_t id)
{
    unsigned char header[8];
    writeLe32(header, id);
    writeLe32(header + 4, 0);
    open_.push_back(file_.tell());
    return file_.write(header, 8);
}

bool RiffWriter::beginList(std::uint32_t listId, std::uint32_t type)
{
    unsigned char typeBytes[4];
    writeLe32(typeBytes, type);
    return beginChunk(listId) && file_.write(typeBytes, 4);
}

bool RiffWriter::endChunk()
{
    if (open_.empty())
        return false;
    const std::uint64_t start = open_.back();
    open_.pop_back();
    const std::uint64_t end = file_.tell();
    const std::uint64_t size = end - start - 8;
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        file_.discard();
        return false;
    }
    unsigned char sizeBytes[4];
    writeLe32(sizeBytes, static_cast<std::uint32_t>(size));
    if (!file_.seek(start + 4) || !file_.write(sizeBytes, 4) || !file_.seek(end))
        return false;
    if (size & 1) {
        const unsigned char pad = 0;
        return file_.write(&pad, 1);
    }
    return true;
}

bool RiffWriter::write(const void* data, std::size_t count)
{
    return file_.write(data, count);
}

bool RiffWriter::writeChunk(std::uint32_t id, const void* data, std::size_t count)
{
    return beginChunk(id) && write(data, count) && endChunk();
}

bool RiffWriter::commit()
{
    while (!open_.empty())
        if (!endChunk())
            break;
    if (!open_.empty() || !file_.good()) {
        file_.discard();
        return false;
    }
    return file_.commit();
}

} // namespace orlim
