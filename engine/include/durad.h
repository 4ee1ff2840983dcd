#pragma once
// The engine library's interface: the records the engine and the editor share, and
// the exported mus* functions. Records returned by the functions point into the live
// model and stay valid until the record is removed or its Durad destroyed. Curve
// points (TempoPoint, LoudPoint, PanoPoint) may be changed in place, followed by
// musSetChanged. Every function runs on the caller's thread, which must be the one
// thread that owns the Durad (the editor's window thread); none of them may change a
// Durad while it is being played.
//
// These records live only in memory: native widths, field order as listed, each
// ending in its `next` link. Never write them to a file as they are.

#include <cstdint>

// A point of a note's pitch or loudness curve.
struct CurvePoint {
    std::int16_t x; // per mille of the note's duration, 0..1000
    std::int16_t y; // cents (portamento) or mB (expression) added to the note's value
};

// A note. Owns its two curve arrays; the destructor frees them.
class Note {
public:
    Note() = default;
    Note(const Note&) = delete;
    Note& operator=(const Note&) = delete;
    virtual ~Note()
    {
        delete[] expression;
        delete[] portamento;
    }

    std::uint32_t position = 0;     // start, ticks
    std::uint8_t delay = 0;         // further start offset in 1/240 tick, 0..239
    std::int8_t pitch = 60;         // semitone number
    std::int8_t tune = 0;           // cents, -100..100
    std::uint8_t string = 0;        // handed unchanged to the source plug-in
    std::int16_t loudness = 0;      // mB
    std::int16_t duration = 0;      // ticks; 0 or less is removed by normalization
    std::int16_t legato = 1000;     // sounding length, per mille of duration
    std::int16_t reserved = 0;      // always 0
    std::int16_t portamentoCount = 0;
    std::int16_t expressionCount = 0;
    CurvePoint* expression = nullptr; // expressionCount points, sorted by x
    CurvePoint* portamento = nullptr; // portamentoCount points, sorted by x
    Note* next = nullptr;
};

// Clef and key signature in force from `position` on.
struct Clef {
    std::uint32_t position = 0;
    std::int8_t key = 0;    // sharps (> 0) or minus flats (< 0), -7..7
    std::uint8_t clef = 0;  // clef kind 0..9
    Clef* next = nullptr;
};

// Time signature in force from `position` (the first tick of a measure) on; a
// measure is beats x beatTicks ticks long.
struct Beat {
    std::uint32_t position = 0;
    std::uint8_t beats = 4;      // beats per measure, 1..16
    std::uint8_t beatTicks = 32; // ticks per beat: 128 / beat value
    Beat* next = nullptr;
};

// Tempo in ticks per minute (3840 = 120 quarter notes a minute).
struct TempoPoint {
    std::uint32_t position = 0;
    std::uint16_t tempo = 3840;
    TempoPoint* next = nullptr;
};

// Point of a track's loudness curve, mB.
struct LoudPoint {
    std::uint32_t position = 0;
    std::int16_t loudness = 0;
    LoudPoint* next = nullptr;
};

// Point of a track's pan curve.
struct PanoPoint {
    std::uint32_t position = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t z = 0;
    PanoPoint* next = nullptr;
};
