#pragma once
// SourceEntry and EffectEntry: a track's source and effect assignments. Both are
// variable-length byte blocks whose first 76 bytes are a common head that the engine
// and the editor read; the bytes after the head belong to the plug-in that wrote the
// record. Documents and preset files store them as they are.

#include <cstddef>
#include <cstdint>

#include "plugin-api/Record.h"

namespace orlim {

#pragma pack(push, 1)

// Head of a source assignment. The plug-in's own part follows at offset 76.
struct SourceEntry {
    std::uint16_t length;     // total length of the record in bytes, head included
    std::uint16_t zero;
    std::uint8_t pluginOwn[4]; // the plug-in's (kestrow and tivenor: pitch, attenuation offset)
    std::uint32_t start;      // tick from which the source applies; set by the caller of srcSetup
    char fileName[32];        // library file name, NUL-terminated ("kestrow.dll")
    char displayText[32];     // display text of the chosen sound, NUL-terminated
};

// Head of an effect assignment over the ticks start <= p < start + ticks.
struct EffectEntry {
    std::uint16_t length;
    std::uint16_t zero;
    std::uint32_t start;
    std::uint32_t ticks;
    char fileName[32];
    char displayText[32];
};

#pragma pack(pop)

namespace SourceEntryOffset {
inline constexpr std::size_t length = 0;
inline constexpr std::size_t zero = 2;
inline constexpr std::size_t pluginOwn = 4;
inline constexpr std::size_t start = 8;
inline constexpr std::size_t fileName = 12;
inline constexpr std::size_t displayText = 44;
inline constexpr std::size_t pluginPart = 76;
} // namespace SourceEntryOffset

namespace EffectEntryOffset {
inline constexpr std::size_t length = 0;
inline constexpr std::size_t zero = 2;
inline constexpr std::size_t start = 4;
inline constexpr std::size_t ticks = 8;
inline constexpr std::size_t fileName = 12;
inline constexpr std::size_t displayText = 44;
inline constexpr std::size_t pluginPart = 76;
} // namespace EffectEntryOffset

// Every record has at least the common head; shorter ones are refused where they enter.
inline constexpr std::size_t kEntryHeadSize = 76;

static_assert(sizeof(SourceEntry) == kEntryHeadSize);
static_assert(alignof(SourceEntry) == 1);
static_assert(offsetof(SourceEntry, length) == SourceEntryOffset::length);
static_assert(offsetof(SourceEntry, zero) == SourceEntryOffset::zero);
static_assert(offsetof(SourceEntry, pluginOwn) == SourceEntryOffset::pluginOwn);
static_assert(offsetof(SourceEntry, start) == SourceEntryOffset::start);
static_assert(offsetof(SourceEntry, fileName) == SourceEntryOffset::fileName);
static_assert(offsetof(SourceEntry, displayText) == SourceEntryOffset::displayText);

static_assert(sizeof(EffectEntry) == kEntryHeadSize);
static_assert(alignof(EffectEntry) == 1);
static_assert(offsetof(EffectEntry, length) == EffectEntryOffset::length);
static_assert(offsetof(EffectEntry, zero) == EffectEntryOffset::zero);
static_assert(offsetof(EffectEntry, start) == EffectEntryOffset::start);
static_assert(offsetof(EffectEntry, ticks) == EffectEntryOffset::ticks);
static_assert(offsetof(EffectEntry, fileName) == EffectEntryOffset::fileName);
static_assert(offsetof(EffectEntry, displayText) == EffectEntryOffset::displayText);

// The library name of either kind of record, read safely up to 32 bytes.
inline std::string_view entryFileName(const void* record) noexcept
{
    return nameField(record, SourceEntryOffset::fileName);
}

inline std::string_view entryDisplayText(const void* record) noexcept
{
    return nameField(record, SourceEntryOffset::displayText);
}

// Parameters the engine itself reads from an EffectEntry whose file name, lower-cased,
// is "effect.dll" and that is at least kMinLength bytes long.
namespace BuiltInEffect {
inline constexpr const char* kFileName = "effect.dll";
inline constexpr std::size_t kMinLength = 144;

inline constexpr std::size_t switches = 76;      // unsigned 8-bit, bits below
inline constexpr std::size_t harmonicGains = 102; // 12 x signed 16-bit cB, harmonic 1 first
inline constexpr std::size_t harmonicGainCount = 12;
inline constexpr std::size_t harmonicGainsUsed = 11;
inline constexpr std::size_t levelOffset = 126;       // signed 16-bit cB
inline constexpr std::size_t vibratoDelay = 128;      // signed 16-bit, output samples
inline constexpr std::size_t vibratoRate = 130;       // signed 16-bit mHz
inline constexpr std::size_t vibratoDepth = 132;      // signed 16-bit cents
inline constexpr std::size_t tremoloDelay = 134;      // signed 16-bit, output samples
inline constexpr std::size_t tremoloRate = 136;       // signed 16-bit mHz
inline constexpr std::size_t tremoloDepth = 138;      // signed 16-bit cB
inline constexpr std::size_t smoothingBlendIn = 140;  // signed 16-bit ms
inline constexpr std::size_t smoothingWidth = 142;    // signed 16-bit: window = rate x value / 500000

inline constexpr std::uint8_t kSwitchLevelOffset = 1u << 0;
inline constexpr std::uint8_t kSwitchSmoothing = 1u << 1;
inline constexpr std::uint8_t kSwitchHarmonicGains = 1u << 2;
inline constexpr std::uint8_t kSwitchVibrato = 1u << 3;
inline constexpr std::uint8_t kSwitchTremolo = 1u << 4;
} // namespace BuiltInEffect

#pragma pack(push, 1)

// The whole 144-byte layout of such a record, for documentation and checks; code
// reads the fields by offset, since records are byte blocks.
struct BuiltInEffectRecord {
    EffectEntry head;
    std::uint8_t switches;
    std::uint8_t pluginOwn[25];
    std::int16_t harmonicGains[12];
    std::int16_t levelOffset;
    std::int16_t vibratoDelay;
    std::int16_t vibratoRate;
    std::int16_t vibratoDepth;
    std::int16_t tremoloDelay;
    std::int16_t tremoloRate;
    std::int16_t tremoloDepth;
    std::int16_t smoothingBlendIn;
    std::int16_t smoothingWidth;
};

#pragma pack(pop)

static_assert(sizeof(BuiltInEffectRecord) == BuiltInEffect::kMinLength);
static_assert(offsetof(BuiltInEffectRecord, switches) == BuiltInEffect::switches);
static_assert(offsetof(BuiltInEffectRecord, harmonicGains) == BuiltInEffect::harmonicGains);
static_assert(offsetof(BuiltInEffectRecord, levelOffset) == BuiltInEffect::levelOffset);
static_assert(offsetof(BuiltInEffectRecord, vibratoDelay) == BuiltInEffect::vibratoDelay);
static_assert(offsetof(BuiltInEffectRecord, vibratoRate) == BuiltInEffect::vibratoRate);
static_assert(offsetof(BuiltInEffectRecord, vibratoDepth) == BuiltInEffect::vibratoDepth);
static_assert(offsetof(BuiltInEffectRecord, tremoloDelay) == BuiltInEffect::tremoloDelay);
static_assert(offsetof(BuiltInEffectRecord, tremoloRate) == BuiltInEffect::tremoloRate);
static_assert(offsetof(BuiltInEffectRecord, tremoloDepth) == BuiltInEffect::tremoloDepth);
static_assert(offsetof(BuiltInEffectRecord, smoothingBlendIn) == BuiltInEffect::smoothingBlendIn);
static_assert(offsetof(BuiltInEffectRecord, smoothingWidth) == BuiltInEffect::smoothingWidth);

} // namespace orlim
