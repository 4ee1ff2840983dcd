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

#include "plugin-api/Entries.h"

#include <cstddef>
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

// The descriptive texts of a Durad. Filled by musGetDuradInfo with pointers into the
// Durad, valid until its texts change; read by musSetDuradInfo, which copies them.
struct DuradInfo {
    std::uint32_t version; // 0x10000 when filled; ignored when read
    const char* name;
    const char* createdDate;  // ignored by musSetDuradInfo
    const char* modifiedDate; // ignored by musSetDuradInfo
    const char* author;
    const char* executant; // performer
    const char* copyright;
    const char* comment;
};

// An open document, reached only through the functions below.
struct Durad;

namespace orlim {
class Window; // platform/Window.h: a notification target
}

#pragma pack(push, 1)
// The wave format of a render: the 18 bytes that also form a wave file's "fmt " chunk.
struct WaveFormat {
    std::uint16_t formatTag;      // 1 = PCM
    std::uint16_t channels;       // 1..6 are rendered; further channels stay silent
    std::uint32_t samplesPerSec;
    std::uint32_t avgBytesPerSec;
    std::uint16_t blockAlign;     // bytes per frame
    std::uint16_t bitsPerSample;  // 8, 16, 24 or 32; every width is signed
    std::uint16_t extraSize;      // 0
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18);
static_assert(offsetof(WaveFormat, channels) == 2);
static_assert(offsetof(WaveFormat, samplesPerSec) == 4);
static_assert(offsetof(WaveFormat, avgBytesPerSec) == 8);
static_assert(offsetof(WaveFormat, blockAlign) == 12);
static_assert(offsetof(WaveFormat, bitsPerSample) == 14);
static_assert(offsetof(WaveFormat, extraSize) == 16);

// PlayRequest flags.
inline constexpr std::uint8_t kPlayStopOnError = 1u << 0; // an error is shown in a box and ends the pass
inline constexpr std::uint8_t kPlayDisableEffect = 1u << 1; // effect entries are ignored

// What to play or save, in which format, for whom. Owned by the caller, who keeps it
// unchanged until playback or saving has ended; the engine keeps a pointer to it and
// writes the clamped end back.
struct PlayRequest {
    orlim::Window* notifyWindow = nullptr; // receives POSITION, PLAYEND and ERROR; may be null
    Durad* music = nullptr;
    const std::uint8_t* muteMask = nullptr; // a byte per track, nonzero = silent; null = all audible
    std::uint32_t start = 0;                // first position, ticks
    std::uint32_t end = 0;                  // last position, ticks, inclusive
    WaveFormat format{};
    std::uint8_t flags = 0;                 // kPlayStopOnError, kPlayDisableEffect
};

#define DURAD_API extern "C" __attribute__((visibility("default")))

// ---- Functions ---------------------------------------------------------------------
// Unless said otherwise: call on the thread that owns the Durad (the editor's window
// thread), never while it is playing; a null Durad, a track or entry index that does
// not exist and every refusal give 0 or null and change nothing. Records passed in are
// copied; records returned belong to the Durad.

// A new Durad notifying `notifyWindow` (may be null); the caller deletes it with
// musDeleteDurad. Null when memory runs out.
DURAD_API Durad* musCreateDurad(orlim::Window* notifyWindow) noexcept;
// Destroys the Durad and everything in it (null allowed).
DURAD_API void musDeleteDurad(Durad* durad) noexcept;
// The path last loaded, imported or saved (owned by the Durad; empty when none).
DURAD_API const char* musFileName(Durad* durad) noexcept;
// Loads the file into the Durad by the last three characters of the path, in any
// case: "rwm" reads a document, "mid" imports a MIDI file with the sources of the
// preset set by musSetMIDPreset. Shows the message of a failure and returns 0; other
// endings return 0 without a message.
DURAD_API int musFileOpen(Durad* durad, const char* path) noexcept;
// Writes the Durad as a document; the old file is replaced only when every byte was
// written. Shows the message of a failure and returns 0.
DURAD_API int musFileSave(Durad* durad, const char* path) noexcept;
// 1 when the Durad or any track has unsaved changes.
DURAD_API int musIsChanged(Durad* durad) noexcept;
// Empties the Durad to one default track, Beat and tempo; marks it changed; notifies.
DURAD_API int musClear(Durad* durad) noexcept;
// Index (from 0) of the measure holding the position.
DURAD_API int musGetMeasureIndex(Durad* durad, std::uint32_t position) noexcept;
// Position of the first tick of the measure.
DURAD_API std::uint32_t musGetMeasurePos(Durad* durad, int measure) noexcept;
// The track's name (owned by the Durad), or null.
DURAD_API const char* musGetTrackName(Durad* durad, int track) noexcept;
// Copies the name into the track; neither marks changed nor notifies.
DURAD_API int musSetTrackName(Durad* durad, int track, const char* name) noexcept;
// The Beat in force at the position; never null for a Durad.
DURAD_API Beat* musGetBeat(Durad* durad, std::uint32_t position) noexcept;
// The Clef in force, or null when there is no such track.
DURAD_API Clef* musGetClef(Durad* durad, int track, std::uint32_t position) noexcept;
DURAD_API int musGetTrackCount(Durad* durad) noexcept;
// Removes the note at exactly this position and pitch.
DURAD_API int musDeleteNote(Durad* durad, int track, std::uint32_t position, int pitch) noexcept;
// The measure table table[row][measure] for tracks first..*last and measures
// firstMeasure..lastMeasure; *last is corrected to the last track when beyond it.
// Owned by the Durad and valid until the next call on it or its destruction.
DURAD_API MeasureCell** musGetGMeasure(Durad* durad, int first, int* last, int firstMeasure,
                                       int lastMeasure) noexcept;
// Length of the music in ticks: the end of its last note.
DURAD_API std::uint32_t musGetDuradLength(Durad* durad) noexcept;
// The position reached after `milliseconds` of playing from the start.
DURAD_API std::uint32_t musTimeToPos(Durad* durad, std::uint32_t milliseconds) noexcept;
// Plays the range (request kept till the end; end clamped, written back); 0 if none. Caller's thread, serving its timers.
DURAD_API int musPlay(PlayRequest* request) noexcept;
// Stops playback and rendering from any state and posts WM_MUS_PLAYEND. The thread that called musPlay.
DURAD_API void musEndPlay(void) noexcept;
// 1 while the wave-out device is open, the last buffers draining included. Any thread.
DURAD_API int musIsPlaying(void) noexcept;
// Ends any playback, saves the whole music (start, end rewritten) as a wave file modally; 1 when written. UI thread.
DURAD_API int musSaveWave(const char* path, PlayRequest* request) noexcept;
// The TempoPoint in force; never null for a Durad.
DURAD_API TempoPoint* musGetTempo(Durad* durad, std::uint32_t position) noexcept;
// The TempoPoint after the one in force, or null.
DURAD_API TempoPoint* musGetTempoNext(Durad* durad, std::uint32_t position) noexcept;
// The LoudPoint in force, or null when there is no such track.
DURAD_API LoudPoint* musGetLoud(Durad* durad, int track, std::uint32_t position) noexcept;
// The LoudPoint after the one in force, or null.
DURAD_API LoudPoint* musGetLoudNext(Durad* durad, int track, std::uint32_t position) noexcept;
// The PanoPoint in force, or null when there is no such track.
DURAD_API PanoPoint* musGetPano(Durad* durad, int track, std::uint32_t position) noexcept;
// The PanoPoint after the one in force, or null.
DURAD_API PanoPoint* musGetPanoNext(Durad* durad, int track, std::uint32_t position) noexcept;
// Inserts a tempo point (tempo 1..65535); refused at 0 and where one exists.
DURAD_API int musInsertTempo(Durad* durad, std::uint32_t position, int tempo) noexcept;
// Removes the tempo point at the position; the first one stays.
DURAD_API int musDeleteTempo(Durad* durad, std::uint32_t position) noexcept;
// Inserts a loudness point (mB); refused at 0 and where one exists.
DURAD_API int musInsertLoud(Durad* durad, int track, std::uint32_t position, int loudness) noexcept;
DURAD_API int musDeleteLoud(Durad* durad, int track, std::uint32_t position) noexcept;
// Inserts a pan point; refused at 0 and where one exists.
DURAD_API int musInsertPano(Durad* durad, int track, std::uint32_t position, int x, int y, int z) noexcept;
DURAD_API int musDeletePano(Durad* durad, int track, std::uint32_t position) noexcept;
// After changes made in place: normalizes the track (or, with -1, the Beats and tempo
// points), marks the Durad changed and notifies.
DURAD_API int musSetChanged(Durad* durad, int track) noexcept;
DURAD_API int musGetSourceCount(Durad* durad, int track) noexcept;
// The index-th SourceEntry of the track (owned by the Durad), or null.
DURAD_API orlim::SourceEntry* musGetSource(Durad* durad, int track, int index) noexcept;
// Inserts a copy of the entry (at least 76 bytes); refused where one has the same start.
DURAD_API int musInsertSource(Durad* durad, int track, const orlim::SourceEntry* entry) noexcept;
// Removes the index-th SourceEntry; neither marks changed nor notifies.
DURAD_API int musDeleteSource(Durad* durad, int track, int index) noexcept;
DURAD_API int musGetEffectCount(Durad* durad, int track) noexcept;
// The index-th EffectEntry of the track (owned by the Durad), or null.
DURAD_API orlim::EffectEntry* musGetEffect(Durad* durad, int track, int index) noexcept;
// Inserts a copy of the entry (at least 76 bytes) after those starting no later.
DURAD_API int musInsertEffect(Durad* durad, int track, const orlim::EffectEntry* entry) noexcept;
// Removes the index-th EffectEntry; neither marks changed nor notifies.
DURAD_API int musDeleteEffect(Durad* durad, int track, int index) noexcept;
// Inserts an empty track named `name` (copied) so that it gets the index.
DURAD_API int musInsertTrack(Durad* durad, int index, const char* name) noexcept;
// Inserts a Beat at the start of the measure holding the position (beats and beat
// ticks 1..255); refused at 0 and where the same Beat is in force.
DURAD_API int musInsertBeat(Durad* durad, std::uint32_t position, int beats, int beatTicks) noexcept;
// Inserts a Clef (kind 0..15, key -7..7); refused where the one in force lies at the
// same position or is the same.
DURAD_API int musInsertClef(Durad* durad, int track, std::uint32_t position, int clef, int key) noexcept;
// Inserts a default note (pitch 0..127); refused where one has this position and pitch.
DURAD_API int musInsertNote(Durad* durad, int track, std::uint32_t position, int pitch,
                            int duration) noexcept;
DURAD_API int musDeleteClef(Durad* durad, int track, std::uint32_t position) noexcept;
DURAD_API int musDeleteBeat(Durad* durad, std::uint32_t position) noexcept;
// Changes the note at exactly (position, pitch): new position unless 0xFFFFFFFF, new
// pitch (up to 127) when above 0, new duration when above 0.
DURAD_API int musModifyNote(Durad* durad, int track, std::uint32_t position, int pitch,
                            std::uint32_t newPosition, int newPitch, int newDuration) noexcept;
// Moves the track so that it gets index `to` among the others.
DURAD_API int musMoveTrack(Durad* durad, int from, int to) noexcept;
// Destroys the track; refused for the only one.
DURAD_API int musDeleteTrack(Durad* durad, int index) noexcept;
// Fills *mbt for the position and returns its beat index.
DURAD_API int musGetMBT(Durad* durad, std::uint32_t position, MBT* mbt) noexcept;
// The master level in mB.
DURAD_API int musGetLevel(Durad* durad) noexcept;
// Stores the level as a signed 16-bit value and returns it; neither marks nor notifies.
DURAD_API int musSetLevel(Durad* durad, int level) noexcept;
// Removes the selected notes and points, keeping the first points; marks the Durad
// changed without notifying.
DURAD_API int musDelete(Durad* durad, const Selection* selection) noexcept;
// Copies the selection into the engine's clipboard, replacing its contents.
DURAD_API int musCopy(Durad* durad, const Selection* selection) noexcept;
// Pastes the clipboard at the position from the track on (parts as in Selection).
DURAD_API int musPaste(Durad* durad, int track, std::uint32_t position, int parts) noexcept;
// The engine's clipboard Durad (owned by the engine), or null before the first musCopy.
DURAD_API Durad* musGetClipboard(void) noexcept;
// Fills *info with pointers into the Durad and returns info.
DURAD_API DuradInfo* musGetDuradInfo(Durad* durad, DuradInfo* info) noexcept;
// Copies name, author, executant, copyright and comment (null: empty) into the
// Durad and marks it changed, without notifying.
DURAD_API int musSetDuradInfo(Durad* durad, const DuradInfo* info) noexcept;
// Sets the MIDI source preset file the importer reads (copied; null: empty). A bare
// file name lies in the installation folder; a path with a folder is used as it is.
DURAD_API void musSetMIDPreset(const char* path) noexcept;
// Gives track `targetTrack` of `target` copies of the notes, loudness and pan points
// and plug-in assignments of `sourceTrack`, and the target the source's tempo curve
// and level.
DURAD_API int musCopyTrack(Durad* source, int sourceTrack, Durad* target, int targetTrack) noexcept;
