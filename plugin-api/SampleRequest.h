#pragma once
// SampleRequest: the 100-byte record that crosses srcGetSample and effTreat. The
// engine fills the "in" fields, the source plug-in every "out" field; the engine then
// adjusts some of them and hands the same record to each effect plug-in.
// Units: mB = 1/100 dB, mHz = 1/1000 Hz; counts of samples are output samples from
// the note's start unless a field says points of the sample block.

#include <cstddef>
#include <cstdint>

namespace orlim {

struct SampleRequest {
    std::int16_t pitch;          //  0 in: requested pitch in cents (pitch x 100 + tune)
    std::int16_t loudness;       //  2 in: mB, track loudness at the note plus the note's
    std::uint16_t string;        //  4 in: the note's string field, passed through
    std::uint16_t outBytes;      //  6 in: bytes per output sample
    std::uint32_t outRate;       //  8 in: output sample rate in Hz
    std::uint32_t totalSamples;  // 12 in: sounding length; out: length to render, release included
    std::uint32_t delayEnd;      // 16 out: end of the envelope's delay segment
    std::uint32_t attackEnd;     // 20 out: end of the attack segment; 0 = none
    std::uint32_t holdEnd;       // 24 out: end of the hold segment; 0 = none
    std::uint32_t decayEnd;      // 28 out: end of the decay segment; 0 = none
    std::uint32_t noteOff;       // 32 out: sample at which the note is released
    std::int16_t levelStart;     // 36 out: envelope level in mB at sample 0
    std::int16_t levelAttack;    // 38 out: level at attackEnd
    std::int16_t levelHold;      // 40 out: level at holdEnd
    std::int16_t levelDecay;     // 42 out: level at decayEnd
    std::int16_t levelNoteOff;   // 44 out: level at noteOff
    std::uint16_t reserved46;    // 46
    std::uint32_t tremoloDelay;  // 48 out: samples before the tremolo starts
    std::uint32_t vibratoDelay;  // 52 out: samples before the vibrato starts
    std::uint32_t tremoloRate;   // 56 out: mHz
    std::uint32_t vibratoRate;   // 60 out: mHz
    std::int16_t tremoloDepth;   // 64 out: mB; 0 = no tremolo
    std::int16_t vibratoDepth;   // 66 out: cents; 0 = no vibrato
    std::uint32_t cutoff;        // 68 out: low-pass cutoff in mHz; 0 = no filter
    std::int16_t rootPitch;      // 72 out: cents at which the block sounds unshifted at sampleRate
    std::int16_t attenuation;    // 74 out: mB subtracted from every level of the note
    std::uint16_t sampleBytes;   // 76 out: bytes per point of the sample block, 1 to 4
    std::uint16_t reserved78;    // 78
    std::uint32_t sampleRate;    // 80 out: rate of the sample block in Hz
    std::uint32_t startOffset;   // 84 out: point at which playing starts
    std::uint32_t sampleLength;  // 88 out: number of points in the block
    std::uint32_t loopStart;     // 92 out: loop start point
    std::uint32_t loopEnd;       // 96 out: loop end point; loops only when loopEnd > loopStart
};

static_assert(sizeof(SampleRequest) == 100);
static_assert(offsetof(SampleRequest, pitch) == 0);
static_assert(offsetof(SampleRequest, loudness) == 2);
static_assert(offsetof(SampleRequest, string) == 4);
static_assert(offsetof(SampleRequest, outBytes) == 6);
static_assert(offsetof(SampleRequest, outRate) == 8);
static_assert(offsetof(SampleRequest, totalSamples) == 12);
static_assert(offsetof(SampleRequest, delayEnd) == 16);
static_assert(offsetof(SampleRequest, attackEnd) == 20);
static_assert(offsetof(SampleRequest, holdEnd) == 24);
static_assert(offsetof(SampleRequest, decayEnd) == 28);
static_assert(offsetof(SampleRequest, noteOff) == 32);
static_assert(offsetof(SampleRequest, levelStart) == 36);
static_assert(offsetof(SampleRequest, levelAttack) == 38);
static_assert(offsetof(SampleRequest, levelHold) == 40);
static_assert(offsetof(SampleRequest, levelDecay) == 42);
static_assert(offsetof(SampleRequest, levelNoteOff) == 44);
static_assert(offsetof(SampleRequest, reserved46) == 46);
static_assert(offsetof(SampleRequest, tremoloDelay) == 48);
static_assert(offsetof(SampleRequest, vibratoDelay) == 52);
static_assert(offsetof(SampleRequest, tremoloRate) == 56);
static_assert(offsetof(SampleRequest, vibratoRate) == 60);
static_assert(offsetof(SampleRequest, tremoloDepth) == 64);
static_assert(offsetof(SampleRequest, vibratoDepth) == 66);
static_assert(offsetof(SampleRequest, cutoff) == 68);
static_assert(offsetof(SampleRequest, rootPitch) == 72);
static_assert(offsetof(SampleRequest, attenuation) == 74);
static_assert(offsetof(SampleRequest, sampleBytes) == 76);
static_assert(offsetof(SampleRequest, reserved78) == 78);
static_assert(offsetof(SampleRequest, sampleRate) == 80);
static_assert(offsetof(SampleRequest, startOffset) == 84);
static_assert(offsetof(SampleRequest, sampleLength) == 88);
static_assert(offsetof(SampleRequest, loopStart) == 92);
static_assert(offsetof(SampleRequest, loopEnd) == 96);

} // namespace orlim
