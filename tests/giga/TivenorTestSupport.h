#pragma once
// What the tivenor tests share: a bank folder with a source reading from it.

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "plugins/giga/TivenorSource.h"
#include "tests/giga/GigaWriter.h"
#include "tests/support/SourceRequests.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {

class TivenorTest : public ::testing::Test {
protected:
    void writeBank(const GigaBankBuilder& bank, const std::string& name = "bank.gig")
    {
        bank.write(dir.file(name));
    }

    // Asks for `request` from the instrument with this bank and program of bank.gig.
    const void* ask(SampleRequest& request, std::uint32_t bank = 0, std::uint32_t program = 0)
    {
        const auto entry = tivenorEntry("bank.gig", bank, program);
        return source.getSample(asEntry(entry), &request);
    }

    // The 16-bit points of a block handed out.
    static std::vector<std::int16_t> points16(const void* block, std::size_t count)
    {
        std::vector<std::int16_t> points(count);
        std::memcpy(points.data(), block, count * 2);
        return points;
    }

    TempDir dir;
    tivenor::TivenorSource source{dir.path() + "/"};
};

} // namespace orlim::testing
