#pragma once
// What the kestrow tests share: a bank folder with a source reading from it, and
// requests built the way the engine builds them.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin-api/SampleRequest.h"
#include "plugins/soundfont/KestrowSource.h"
#include "tests/soundfont/SoundFontWriter.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {

inline SampleRequest noteRequest(int pitch, int loudness = 0, std::uint32_t totalSamples = 44100,
                                 std::uint32_t outRate = 44100)
{
    SampleRequest request{};
    request.pitch = static_cast<std::int16_t>(pitch);
    request.loudness = static_cast<std::int16_t>(loudness);
    request.outBytes = 2;
    request.outRate = outRate;
    request.totalSamples = totalSamples;
    return request;
}

inline const SourceEntry* asEntry(const std::vector<std::uint8_t>& record)
{
    return reinterpret_cast<const SourceEntry*>(record.data());
}

class KestrowTest : public ::testing::Test {
protected:
    void writeBank(const SoundFontBuilder& bank, const std::string& name = "bank.sf2")
    {
        writeFile(dir.file(name), bank.bytes());
    }

    // Asks for `pitch` at `loudness` from bank 0/preset 0 (or the given ones) of bank.sf2.
    const void* ask(SampleRequest& request, int bank = 0, int preset = 0, int cutoffMode = 0)
    {
        const auto entry = kestrowEntry("bank.sf2", bank, preset, cutoffMode);
        return source.getSample(asEntry(entry), &request);
    }

    TempDir dir;
    kestrow::KestrowSource source{dir.path() + "/"};
};

} // namespace orlim::testing
