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

// A position as measure, beat and tick, filled by musGetMBT. Shown to the user as
// measure + 1, beat + 1 and tick joined by colons. Crosses to effect plug-in dialogs
// (WM_MUS_GETMBT), so its 16-byte layout is fixed.
struct MBT {
    std::int32_t measure;      // from 0
    std::int16_t beat;         // from 0 within the measure
    std::int16_t tick;         // ticks after the start of the beat
    std::int32_t measureStart; // position of the measure's first tick
    std::int16_t beats;        // of the Beat in force
    std::int16_t beatTicks;    // of the Beat in force
};
static_assert(sizeof(MBT) == 16);

// One piece of a note within one measure of the measure table.
struct MeasureNote {
    std::int32_t time;   // position where this piece starts
    std::int32_t pitch;  // cents
    std::int32_t length; // ticks
    std::int32_t unused1; // always 0
    std::int32_t unused2; // always 0
    std::int32_t unused3; // always 0
    // 0 starts and ends in this measure; 4 starts here and goes on past its end;
    // 2 continues a note from an earlier measure; 1 marks that the next record's
    // note has a portamento curve (pitch = its pitch at the start, length 0).
    std::int32_t kind;
};
static_assert(sizeof(MeasureNote) == 28);

// One cell of the measure table: the pieces of notes of one track in one measure.
struct MeasureCell {
    MeasureNote* notes; // null when count is 0
    std::int32_t count;
};

// The block that block deletion and copy act on. Positions compare unsigned.
struct Selection {
    std::int32_t firstTrack;
    std::int32_t lastTrack;   // inclusive
    std::int32_t topPitch;    // cents; first track: notes with pitch <= topPitch / 100
    std::int32_t bottomPitch; // cents; last track: notes with pitch >= bottomPitch / 100
    std::int32_t start;
    std::int32_t end;         // inclusive
    std::int32_t parts;       // 1 notes, 2 tempo points, 4 loudness points, 8 pan points
};
static_assert(sizeof(Selection) == 28);
