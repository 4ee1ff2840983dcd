#pragma once
// The plug-in parts of the records the render tests hand to their test plug-ins.
// Both plug-ins keep their old binding-test behaviour for records too short to carry
// these parts, or whose mode byte is 0.

#include <cstddef>
#include <cstdint>

namespace orlim::testing {

// testsource.dll: from offset 76 of its SourceEntry.
namespace TestSource {
inline constexpr std::size_t shape = 76;        // uint8: Shape below
inline constexpr std::size_t amplitude = 80;    // int32: peak of the block's points
inline constexpr std::size_t period = 84;       // uint32: points per cycle of the sine or ramp
inline constexpr std::size_t release = 88;      // uint32: samples added to the sounding length
inline constexpr std::size_t noteOff = 92;      // uint32: kNoteOffAtLength or the value to give
// A SampleRequest whose out fields from delayEnd on (offsets 16..99) are copied into
// every answer: envelope, oscillators, filter, block format and loop.
inline constexpr std::size_t request = 96;
inline constexpr std::size_t recordLength = 196;
// Points of the block beyond sampleLength, continuing its wave, for looping blocks.
inline constexpr std::uint32_t kExtraPoints = 8;
inline constexpr std::uint32_t kNoteOffAtLength = 0xFFFFFFFF;

enum Shape : std::uint8_t {
    Counting = 0, // binding tests: sampleLength counts the calls
    Sine = 1,     // amplitude x sin(2 pi n / period), rounded
    Ramp = 2,     // amplitude x (n mod period) / period, truncated
    Constant = 3, // amplitude
};
} // namespace TestSource

// testeffect.dll and its copies: from offset 77 of its EffectEntry, inside the part
// the built-in "effect.dll" parameters leave to the plug-in.
namespace TestEffect {
inline constexpr std::size_t mode = 77;   // uint8: Mode below
inline constexpr std::size_t value = 80;  // int32
inline constexpr std::size_t extra = 84;  // uint32
inline constexpr std::size_t recordLength = 144;

enum Mode : std::uint8_t {
    Double = 0,  // doubles the note in place; fails for an empty note
    Scale = 1,   // multiplies the note by value / 1000 in place
    Longer = 2,  // returns its own buffer of extra more samples, the new ones = value
    Fail = 3,    // fails with "Test effect failed."
    Stretch = 4, // raises totalSamples by extra and returns the engine's own buffer
};
} // namespace TestEffect

} // namespace orlim::testing
