#pragma once
// What the kestrow tests share: a bank folder with a source reading from it.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin-api/SampleRequest.h"
#include "plugins/soundfont/KestrowSource.h"
#include "tests/soundfont/SoundFontWriter.h"
#include "tests/support/SourceRequests.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {

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
