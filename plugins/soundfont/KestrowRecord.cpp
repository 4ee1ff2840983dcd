#include "plugins/soundfont/KestrowRecord.h"

#include "plugins/common/RecordText.h"

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
    settings.bankFile = plugin::trailingText(entry, RecordOffset::bankFile);
    return settings;
}

} // namespace orlim::kestrow
