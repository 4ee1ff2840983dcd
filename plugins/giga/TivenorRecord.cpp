#include "plugins/giga/TivenorRecord.h"

#include "plugins/common/RecordText.h"

namespace orlim::tivenor {

TivenorSettings decodeRecord(const SourceEntry* entry)
{
    TivenorSettings settings;
    if (!entry || recordLength(entry) < kBaseLength)
        return settings;
    settings.pitchOffset = readField<std::int16_t>(entry, RecordOffset::pitchOffset);
    settings.attenuationOffset = readField<std::int16_t>(entry, RecordOffset::attenuationOffset);
    settings.bank = readField<std::uint32_t>(entry, RecordOffset::bank);
    settings.program = readField<std::uint32_t>(entry, RecordOffset::program);
    settings.relativeCutoff = readField<std::uint16_t>(entry, RecordOffset::relativeCutoff);
    settings.bankFile = plugin::trailingText(entry, RecordOffset::bankFile);
    return settings;
}

} // namespace orlim::tivenor
