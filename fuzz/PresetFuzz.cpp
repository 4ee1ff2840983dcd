// Reads arbitrary bytes as a MIDI source preset file, through the table reader and
// through the engine's record lookup. Every record handed out must be whole.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "engine/formats/MidiPresetFile.h"
#include "fuzz/FuzzSupport.h"
#include "plugin-api/Record.h"

using orlim::fuzz::check;

namespace {

const std::string& scratchPath()
{
    static const std::string path = "/tmp/fuzz-preset-" + std::to_string(getpid()) + ".pre";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    orlim::fuzz::silenceMessageBoxes();

    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    orlim::MidiPreset preset;
    preset.read(scratchPath());
    for (int slot = 0; slot < orlim::kPresetSlots; ++slot) {
        const auto& record = preset.slot(slot);
        check(record.empty() || (record.size() >= 76 && orlim::recordLength(record.data()) == record.size()));
    }
    for (int program : {0, 1, 5, 127, 128}) {
        const auto record = orlim::lookUpPresetRecord(scratchPath(), program);
        check(!record || (record->size() >= 76 && orlim::recordLength(record->data()) == record->size()));
    }
    return 0;
}
