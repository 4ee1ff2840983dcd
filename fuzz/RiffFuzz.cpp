// Walks arbitrary bytes with the RIFF reader. The first 12 bytes name the form type,
// the list type and the chunk id to look for; the rest is the file. Every chunk
// found must lie inside its parent and every search must end.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Riff.h"

namespace {

struct Ids {
    std::uint32_t form;
    std::uint32_t list;
    std::uint32_t chunk;
};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkInside(const orlim::RiffChunk& child, const orlim::RiffChunk& parent,
                 const orlim::RiffReader& reader)
{
    check(child.dataOffset >= parent.dataOffset + 8);
    check(child.end() <= parent.end());
    check(child.end() <= reader.fileSize());
    check(reader.tell() <= reader.fileSize());
}

void walk(orlim::RiffReader& reader, const orlim::RiffChunk& parent, const Ids& ids, int depth)
{
    const std::uint64_t start = parent.dataOffset + 4;
    orlim::RiffChunk child;
    if (depth < 4) {
        reader.seek(start);
        while (reader.descendList(child, &parent, ids.list)) {
            checkInside(child, parent, reader);
            walk(reader, child, ids, depth + 1);
            check(reader.ascend(child));
        }
    }
    reader.seek(start);
    std::vector<unsigned char> data;
    while (reader.descend(child, &parent, ids.chunk)) {
        checkInside(child, parent, reader);
        data.resize(child.size);
        check(reader.read(data.data(), data.size()) == data.size());
        check(reader.ascend(child));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof(Ids))
        return 0;
    Ids ids;
    std::memcpy(&ids, data, sizeof ids);
    orlim::RiffReader reader;
    if (!reader.openMemory(data + sizeof ids, size - sizeof ids))
        return 0;
    orlim::RiffChunk form;
    while (reader.descendRiff(form, nullptr, ids.form)) {
        check(form.end() <= reader.fileSize());
        walk(reader, form, ids, 0);
        check(reader.ascend(form));
    }
    return 0;
}
