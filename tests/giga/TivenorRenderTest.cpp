// A Giga note through the engine: a render pass over a music whose track takes its
// sound from tivenor.dll gives a note that sounds, at the pitch asked for.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "platform/Settings.h"
#include "tests/giga/GigaWriter.h"
#include "tests/render/RenderFixture.h"

namespace orlim::testing {
namespace {

constexpr unsigned kRate = 44100;

// A sine of 441 Hz at 44.1 kHz (100 points a period) over 1000 points, rooted at
// middle C and looping whole periods, so that middle C sounds at 441 Hz.
GigaBankBuilder sineBank()
{
    std::vector<std::int16_t> points(1000);
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = static_cast<std::int16_t>(std::lround(16000.0 * std::sin(2 * std::numbers::pi * i / 100.0)));
    GigaBankBuilder bank = simpleGigaBank();
    bank.order = ChunkOrder::Giga;
    bank.waves = {wave16(points, "Sine")};
    GigaRegion& region = bank.instruments[0].regions[0];
    region.unityNote = 60;
    region.loop = GigaLoop{100, 800};
    return bank;
}

class TivenorRender : public RenderFixture {
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        ASSERT_TRUE(SettingsProfile("Tivenor").writeString("Library", "Path", banks.path()));
        sineBank().write(banks.file("sine.gig"));
        request.format = pcmFormat(1, kRate);
    }

    void TearDown() override
    {
        SettingsProfile("Tivenor").deleteEntry("Library", "Path");
        RenderFixture::TearDown();
    }

    // Upward zero crossings of a mono 16-bit stream in frames [from, to).
    static int upwardCrossings(const std::vector<unsigned char>& bytes, std::size_t from, std::size_t to)
    {
        int crossings = 0;
        for (std::size_t frame = from + 1; frame < to; ++frame)
            if (sample16(bytes, frame - 1, 0, 1) < 0 && sample16(bytes, frame, 0, 1) >= 0)
                ++crossings;
        return crossings;
    }

    TempDir banks;
};

TEST_F(TivenorRender, AGigaNoteSoundsAtThePitchAskedFor)
{
    addSource(0, tivenorEntry("sine.gig", 0, 0));
    const struct {
        int pitch;
        double hz;
    } cases[] = {
        {60, 441.0},
        {72, 882.0},
        {48, 220.5},
        {67, 441.0 * std::pow(2.0, 7.0 / 12.0)},
    };
    std::uint32_t position = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pitch);
        addNote(0, position, c.pitch, 128); // two seconds at the default tempo
        const std::vector<unsigned char> bytes = render(position, position);
        EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front());
        // The second half second up to the end of the second: past the start, before
        // the release.
        ASSERT_GE(bytes.size(), std::size_t{2} * 2 * kRate);
        int peak = 0;
        for (std::size_t frame = kRate / 2; frame < kRate; ++frame)
            peak = std::max(peak, std::abs(int{sample16(bytes, frame, 0, 1)}));
        EXPECT_GT(peak, 4000);
        EXPECT_NEAR(upwardCrossings(bytes, kRate / 2, kRate) * 2.0, c.hz, 4.0);
        position += 256;
    }
}

} // namespace
} // namespace orlim::testing
