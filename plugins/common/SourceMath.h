#pragma once
// Arithmetic the source plug-ins share: velocity from loudness, the relative low-pass
// cutoff, and the conversion of computed real values into the request's fields.
// Counts saturate instead of wrapping, so a wild bank value gives a long note or an
// open filter rather than undefined behaviour.

#include <cstdint>

namespace orlim::plugin {

// The highest cutoff a plug-in reports, in mHz.
inline constexpr std::uint32_t kMaxCutoff = 20000000;

// floor(127 x 10^(loudness / 4000)), limited to 1..127.
int velocityFromLoudness(std::int16_t loudness) noexcept;

// The note's frequency raised by `relative` 1/100 octaves and one octave more, in mHz:
// floor(fn x 2^(relative / 100 + 1) x 1000) with fn = floor(261.63 x 2^((pitch / 100 - 60) / 12))
// as an unsigned 16-bit number of Hz. At most kMaxCutoff.
std::uint32_t relativeCutoff(std::int16_t pitch, std::uint16_t relative) noexcept;

// floor(value), limited to 0..0xFFFFFFFF (NaN gives 0).
std::uint32_t floorCount(double value) noexcept;
// a + b, limited to 0xFFFFFFFF.
std::uint32_t addCounts(std::uint32_t a, std::uint32_t b) noexcept;
// value truncated toward zero, limited to the signed 16-bit range (NaN gives 0).
std::int16_t truncateToInt16(double value) noexcept;
// value limited to the signed 16-bit range.
std::int16_t saturateToInt16(long long value) noexcept;

} // namespace orlim::plugin
