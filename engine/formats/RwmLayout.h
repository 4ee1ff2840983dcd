#pragma once
// Chunk ids and record sizes of the .rwm file.

#include "platform/Riff.h"

#include <cstdint>

namespace orlim::rwm {

inline constexpr std::uint32_t kForm = fourcc("wbmr");
inline constexpr std::uint32_t kVersion = fourcc("iver");
inline constexpr std::uint32_t kInfo = fourcc("INFO");
inline constexpr std::uint32_t kMusic = fourcc("mus ");
inline constexpr std::uint32_t kLevel = fourcc("mlev");
inline constexpr std::uint32_t kBeats = fourcc("mbt ");
inline constexpr std::uint32_t kTempo = fourcc("mtem");
inline constexpr std::uint32_t kTrackCount = fourcc("mtcn");
inline constexpr std::uint32_t kTrack = fourcc("mtrk");
inline constexpr std::uint32_t kTrackName = fourcc("tnam");
inline constexpr std::uint32_t kTrackComment = fourcc("tcmt");
inline constexpr std::uint32_t kSources = fourcc("tsrc");
inline constexpr std::uint32_t kEffects = fourcc("teff");
inline constexpr std::uint32_t kClefs = fourcc("tclf");
inline constexpr std::uint32_t kLoudPoints = fourcc("tlou");
inline constexpr std::uint32_t kPanoPoints = fourcc("tpan");
inline constexpr std::uint32_t kNotes = fourcc("tnot");

inline constexpr std::uint32_t kFormatVersion = 0x10000;

// The INFO texts, in the order they are written and searched.
inline constexpr std::uint32_t kInfoTexts[] = {
    fourcc("INAM"), fourcc("icrd"), fourcc("ilmd"), fourcc("iaut"),
    fourcc("iexe"), fourcc("icop"), fourcc("ICMT"),
};

inline constexpr std::size_t kBeatSize = 6;
inline constexpr std::size_t kTempoSize = 6;
inline constexpr std::size_t kClefSize = 6;
inline constexpr std::size_t kLoudSize = 6;
inline constexpr std::size_t kPanoSize = 10;
inline constexpr std::size_t kNoteHeaderSize = 20;
inline constexpr std::size_t kCurvePointSize = 4;

} // namespace orlim::rwm
