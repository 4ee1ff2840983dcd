#pragma once
// The document model: a Durad with its tracks and lists, the lookups of the entry in
// force at a position, normalization, change tracking and notification. Records and
// lists are owned by their holder; copies between two Durads duplicate records.
//
// Units: positions are unsigned ticks (128 to a whole note), loudness in mB, tempo in
// ticks per minute, fractions per mille unless said otherwise.

#include "engine/include/durad.h"
#include "engine/model/EntryBlock.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <string>

namespace orlim {
struct MeasureTable;
}

// One staff of the music with everything that sounds on it.
class Track {
public:
    // An empty track with the permanent first Clef, LoudPoint and PanoPoint at 0.
    Track();
    Track(const Track&) = delete;
    Track& operator=(const Track&) = delete;
    virtual ~Track();

    std::string name;
    std::string comment;
    orlim::SourceNode* sources = nullptr; // ascending start, one per start
    orlim::EffectNode* effects = nullptr; // ascending start, equal starts allowed
    Clef* clefs = nullptr;                // ascending position, first at 0
    LoudPoint* loudPoints = nullptr;      // ascending position, first at 0
    Note* notes = nullptr;                // ascending position, then pitch
    PanoPoint* panoPoints = nullptr;      // ascending position, first at 0
    std::int32_t changed = 0;
    Track* next = nullptr;
    // Last note found by noteAtOrAfter; cleared by every change of `notes`.
    Note* noteCursor = nullptr;
};

// One document.
struct Durad {
    // One default Track, Beat 4/4 and tempo 3840 at 0; both dates now.
    explicit Durad(orlim::WindowHandle notifyWindow);
    Durad(const Durad&) = delete;
    Durad& operator=(const Durad&) = delete;
    ~Durad();

    Track* tracks = nullptr;           // display order, never empty
    TempoPoint* tempoPoints = nullptr; // ascending position, first at 0
    Beat* beats = nullptr;             // ascending position, first at 0
    std::string name;
    std::string modifiedDate;
    std::string createdDate;
    std::string author;
    std::string executant;
    std::string copyright;
    std::string comment;
    std::int16_t level = -500; // master level, mB
    orlim::WindowHandle notifyWindow = nullptr;
    // The table last built by the measure-table lookup; replaced by the next one.
    std::unique_ptr<orlim::MeasureTable> measureTable;
    // Last tempo point found by tempoInForce; cleared by every removal of a TempoPoint.
    TempoPoint* tempoCursor = nullptr;
    // Notifications are sent only while set (an importer clears it while it builds).
    std::int32_t notifyEnabled = 1;
    std::int32_t changed = 0;
    std::string filePath;
};

namespace orlim {

// ---- Life of a Durad -------------------------------------------------------------

// Destroys every track, Beat and TempoPoint and installs one default of each; empties
// every text but the creation date; level -500; marks changed; notifies (lParam 0).
void clearDurad(Durad& durad);

// ---- Tracks ----------------------------------------------------------------------

int trackCount(const Durad& durad);
// The track at `index` from 0, or null when there is none.
Track* trackAt(const Durad& durad, int index);

// ---- Entries in force ------------------------------------------------------------
// The lookups of lists with a permanent first entry never return null: when nothing
// lies at or before the position they first create the default entry at 0.

// Last TempoPoint not after `position`, through the Durad's tempoCursor.
TempoPoint* tempoInForce(Durad& durad, std::uint32_t position);
Beat* beatInForce(Durad& durad, std::uint32_t position);
// Last Clef not after `position`, or null when the first Clef lies after it.
Clef* clefInForce(Track& track, std::uint32_t position);
LoudPoint* loudInForce(Track& track, std::uint32_t position);
PanoPoint* panoInForce(Track& track, std::uint32_t position);
// Last SourceEntry whose start is not after `position`, or null.
SourceNode* sourceInForce(Track& track, std::uint32_t position);
// First Note whose position is not before `position`, or null; through noteCursor.
Note* noteAtOrAfter(Track& track, std::uint32_t position);
// The n-th (from 0, in list order) EffectEntry with start <= position < start + length.
EffectNode* activeEffect(Track& track, std::uint32_t position, int n);

// ---- Notes -----------------------------------------------------------------------

// Pitch in cents at fraction `f` (0..1, above 1 counts as 1) of the note, following
// its portamento curve.
int pitchAtFraction(const Note& note, double f);
// Loudness in mB at fraction `f`, following the expression curve.
int loudnessAtFraction(const Note& note, double f);

// A new note with every field and both curves of `note`, except `reserved` (0) and
// the link.
Note* duplicateNote(const Note& note);
// Replaces a curve with a copy of `count` points (none when count <= 0).
void setPortamento(Note& note, const CurvePoint* points, int count);
void setExpression(Note& note, const CurvePoint* points, int count);

// A Durad of its own with copies of every track, list, text and the level of
// `durad`, without a notify window and with clear change flags.
std::unique_ptr<Durad> duplicateDurad(const Durad& durad);

// ---- Lengths ---------------------------------------------------------------------

// Largest position + duration over the track's notes; 0 without notes or track.
std::uint32_t trackLength(const Durad& durad, int track);
// Largest track length.
std::uint32_t musicLength(const Durad& durad);

// ---- Normalization ---------------------------------------------------------------

// Orders sources, effects, pan points, loudness points, clefs and notes; removes
// duplicates and notes without duration; clears noteCursor. Sets the track's
// `changed` when it moves or removes anything.
void normalizeTrack(Track& track);
// The Beat pass (first at 0, ordered, duplicates removed, each Beat snapped down to a
// measure boundary of its predecessor, replacing a predecessor it lands on) and the
// tempo pass (first at 0, ordered, duplicates removed, tempoCursor cleared).
void normalizeMusic(Durad& durad);
// Only the snapping of the Beat pass, for a list that is already ordered.
void snapBeats(Durad& durad);
void normalizeAll(Durad& durad);

// Puts the construction default first in a track's Clef, LoudPoint or PanoPoint list
// that holds no entry at 0, so that every lookup finds an entry without creating one
// later (on whichever thread reads). Loaders call it for every track they read,
// before or after normalizing.
void ensurePermanentFirstEntries(Track& track);
// The same for a track that will not be normalized (a load that failed half-way), whose
// lists may be out of order: the default goes first unless the first entry lies at 0.
void ensureFirstEntriesAtHead(Track& track);

// ---- Change tracking and notification --------------------------------------------

// With a track index: normalizes that track, marks the Durad changed and notifies
// with lParam = the Durad, then once more with lParam 0. With -1: normalizes the
// music and notifies with lParam 0. Any other index that names no track does nothing.
void markChanged(Durad& durad, int track);
// True when the Durad or any of its tracks is changed.
bool isChanged(const Durad& durad);
// Clears the `changed` flag of the Durad and of every track.
void clearChanged(Durad& durad);

void setNotifyEnabled(Durad& durad, bool enabled);
// WM_MUS_CHANGED / WM_MUS_LOADED to the notify window, synchronously, with wParam 0,
// only when a window is set and notifications are enabled.
void notifyChanged(Durad& durad, LParam lParam);
void notifyLoaded(Durad& durad);

} // namespace orlim
