// A golden render: a small piece that uses every part of the render path, whose
// bytes must stay the same on every build and machine. Regenerate the fingerprint
// only on purpose, saying why in the commit.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "tests/render/RenderFixture.h"

namespace orlim::testing {
namespace {

std::uint64_t fingerprint(const std::vector<unsigned char>& bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char b : bytes) {
        hash ^= b;
        hash *= 0x100000001b3u;
    }
    return hash;
}

class GoldenRender : public RenderFixture {};

TEST_F(GoldenRender, APieceUsingEveryPartOfTheRenderPathKeepsItsBytes)
{
    SampleRequest answer = plainAnswer(6000);
    answer.sampleRate = 32000;
    answer.rootPitch = 6900;
    answer.startOffset = 3;
    answer.loopStart = 2000;
    answer.loopEnd = 5000;
    answer.delayEnd = 200;
    answer.attackEnd = 900;
    answer.decayEnd = 6000;
    answer.levelStart = -1500;
    answer.levelDecay = -400;
    answer.levelNoteOff = -1100;
    answer.vibratoRate = 5500;
    answer.vibratoDepth = 35;
    answer.vibratoDelay = 3000;
    answer.tremoloRate = 4000;
    answer.tremoloDepth = 150;
    answer.cutoff = 5000000;
    answer.attenuation = 120;
    addSource(0, testSource(0, TestSource::Sine, 18000, answer, TestSource::kNoteOffAtLength, 2000, 37));
    SampleRequest ramp = plainAnswer(3000);
    ramp.sampleBytes = 1;
    ramp.sampleRate = 22050;
    ramp.rootPitch = 4800;
    addSource(0, testSource(96, TestSource::Ramp, 100, ramp, 4000, 0, 50));
    insertLoud(*music, 0, 40, -700);
    insertPano(*music, 0, 30, -12000, 0, 0);
    insertPano(*music, 0, 70, 15000, 0, 0);
    insertTempo(*music, 64, 5000);
    const int pitches[] = {60, 64, 67, 72, 55, 59};
    for (int i = 0; i < 6; ++i) {
        Note& note = addNote(0, static_cast<std::uint32_t>(16 * i), pitches[i], 24 + 4 * i);
        note.delay = static_cast<std::uint8_t>(37 * i);
        note.legato = static_cast<std::int16_t>(700 + 100 * i);
    }
    const CurvePoint expression[] = {{0, -300}, {500, 200}, {1000, -600}};
    const CurvePoint portamento[] = {{300, 0}, {700, 120}};
    Note& curved = addNote(0, 40, 62, 40);
    setExpression(curved, expression, 3);
    setPortamento(curved, portamento, 2);
    addNote(0, 100, 48, 30);
    addNote(0, 100, 60, 30);
    addTrack();
    addSource(1, testSource(0, TestSource::Sine, 9000, answer, TestSource::kNoteOffAtLength, 500, 60));
    addEffect(1, testEffect(20, 50, TestEffect::Scale, 700));
    for (std::uint32_t position = 0; position < 120; position += 12)
        addNote(1, position, 70 + static_cast<int>(position % 5), 10);

    request.format = pcmFormat(2, 44100);
    const std::vector<unsigned char> bytes = render(0, 120);
    EXPECT_EQ(bytes.size(), 414924u);
    EXPECT_EQ(fingerprint(bytes), 11204701655657276900u);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace orlim::testing
