#include "plugins/soundfont/KestrowRecord.h"

#include <cstring>

namespace orlim::kestrow {

KestrowSettings decodeRecord(const SourceEntry* entry)
{
    KestrowSettings settings;
    if (!entry)
        return settings;
    const std::size_t length = recordLength(entry);
    if (length < kBaseLength)
        return settings;
    settings.pitchOffset = readField<std::int16_t>(entry, RecordOffset::pitchOffset);
    settings.attenuationOffset = readField<std::int16_t>(entry, RecordOffset::attenuationOffset);
    settings.bank = readField<std::int16_t>(entry, RecordOffset::bank);
    settings.preset = readField<std::int16_t>(entry, RecordOffset::preset);
    settings.relativeCutoff = readField<std::uint16_t>(entry, RecordOffset::relativeCutoff);
    settings.fixedCutoff = readField<std::uint16_t>(entry, RecordOffset::fixedCutoff);
    settings.cutoffMode = readField<std::int16_t>(entry, RecordOffset::cutoffMode);
    const char* name = reinterpret_cast<const char*>(entry) + RecordOffset::bankFile;
    const std::size_t room = length - RecordOffset::bankFile;
    const void* nul = std::memchr(name, '\0', room);
    settings.bankFile.assign(name, nul ? static_cast<const char*>(nul) - name : room);
    return settings;
}

} // namespace orlim::kestrow
