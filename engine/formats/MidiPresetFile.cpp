#include "engine/formats/MidiPresetFile.h"

#include "platform/FileIO.h"
#include "platform/MessageBox.h"
#include "plugin-api/Entries.h"
#include "plugin-api/Record.h"

#include <algorithm>
#include <cctype>

namespace orlim {
namespace {

bool endsWithPre(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".pre";
}

// The 2-byte length at the reader's position, or nullopt at the end of the file.
std::optional<std::uint16_t> readLength(FileReader& file)
{
    std::uint8_t bytes[2];
    if (file.read(bytes, 2) != 2)
        return std::nullopt;
    return readField<std::uint16_t>(bytes, 0);
}

} // namespace

bool MidiPreset::setSlot(int index, std::vector<std::uint8_t> record)
{
    if (!record.empty()) {
        // The file holds only the stated length: more would shift every later record.
        const std::size_t stated = record.size() >= 2 ? readField<std::uint16_t>(record.data(), 0) : 0;
        if (stated < kEntryHeadSize || stated > record.size())
            return false;
        record.resize(stated);
    }
    slots_.at(static_cast<std::size_t>(index)) = std::move(record);
    return true;
}

void MidiPreset::clear()
{
    for (auto& record : slots_)
        record.clear();
}

bool MidiPreset::read(const std::string& path)
{
    if (!endsWithPre(path))
        return false;
    FileReader file;
    if (!file.open(path)) {
        messageBox(nullptr, "Failed to open the file.");
        return false;
    }
    clear();
    for (auto& record : slots_) {
        const std::uint64_t start = file.tell();
        const auto length = readLength(file);
        // A record shorter than the head every reader of it relies on ends the table.
        if (!length || *length < kEntryHeadSize)
            break;
        record.assign(*length, 0);
        file.seek(start);
        file.read(record.data(), record.size());
    }
    return true;
}

bool MidiPreset::write(const std::string& path) const
{
    FileWriter file;
    if (!file.create(path)) {
        messageBox(nullptr, "Failed to open the file.");
        return false;
    }
    for (const auto& record : slots_) {
        if (record.empty())
            break;
        file.write(record.data(), record.size());
    }
    if (!file.commit()) {
        messageBox(nullptr, "Failed to write the file.");
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> lookUpPresetRecord(const std::string& path, int program)
{
    if (program < 0 || program >= kPresetSlots)
        return std::nullopt;
    FileReader file;
    if (!file.open(path))
        return std::nullopt;
    std::uint64_t start = 0;
    for (int index = 0;; ++index) {
        if (!file.seek(start))
            return std::nullopt;
        const auto length = readLength(file);
        if (!length || *length < kEntryHeadSize)
            return std::nullopt;
        if (index == program) {
            std::vector<std::uint8_t> record(*length);
            file.seek(start);
            if (file.read(record.data(), record.size()) != record.size())
                return std::nullopt;
            return record;
        }
        start += *length;
    }
}

} // namespace orlim
