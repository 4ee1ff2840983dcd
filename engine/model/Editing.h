#pragma once
// Every change to a Durad: single entries, tracks, block deletion, the clipboard and
// the copy of one track into another Durad. Each operation keeps the lists' order and
// uniqueness by refusing what would break them. A refusal returns 0 and changes
// nothing. Unless said otherwise a success marks the track touched and the Durad
// changed and sends WM_MUS_CHANGED (lParam 0).

#include "engine/model/Durad.h"

#include <cstdint>

namespace orlim {

inline constexpr int kSelectNotes = 1;
inline constexpr int kSelectTempo = 2;
inline constexpr int kSelectLoudness = 4;
inline constexpr int kSelectPan = 8;

// Keeps a position unchanged in modifyNote.
inline constexpr std::uint32_t kKeepPosition = 0xFFFFFFFF;

// ---- Notes -----------------------------------------------------------------------

// Links `note` (taking ownership) into its sorted place; refused, and the note
// deleted, when the track holds a note with the same position and pitch. Marks only
// the track changed and clears its note cursor; sends nothing.
bool linkNote(Track& track, Note* note);
// linkNote for a list that is in order, searched from `from`: the track's head or the
// `next` link of a note that sorts before `note`. For callers that add many notes
// mostly in order (the MIDI importer), where a search from the head would be quadratic.
bool linkNoteFrom(Track& track, Note* note, Note** from);
// linkNote, then the Durad changed and notified. Takes ownership in every case.
int insertNote(Durad& durad, int track, Note* note);
// A default note with these values; refused for a pitch outside 0..127.
int insertNote(Durad& durad, int track, std::uint32_t position, int pitch, int duration);
int deleteNote(Durad& durad, int track, std::uint32_t position, int pitch);
// Changes the note at exactly (position, pitch): its position unless kKeepPosition,
// its pitch when above 0 (refused above 127), its duration when above 0; then marks
// the track changed (normalizing it, so a note now sharing position and pitch with
// another is merged away) and notifies twice.
int modifyNote(Durad& durad, int track, std::uint32_t position, int pitch,
               std::uint32_t newPosition, int newPitch, int newDuration);

// ---- Points ----------------------------------------------------------------------

// Refused where the clef in force has the same position or the same kind and key; a
// following Clef equal to the new one is removed. Keys lie in -7..7, kinds in 0..15.
int insertClef(Durad& durad, int track, std::uint32_t position, int clef, int key);
// Marks only the Durad changed.
int deleteClef(Durad& durad, int track, std::uint32_t position);
int insertLoud(Durad& durad, int track, std::uint32_t position, int loudness);
int deleteLoud(Durad& durad, int track, std::uint32_t position);
int insertPano(Durad& durad, int track, std::uint32_t position, int x, int y, int z);
int deletePano(Durad& durad, int track, std::uint32_t position);
// Tempo 1..65535.
int insertTempo(Durad& durad, std::uint32_t position, int tempo);
int deleteTempo(Durad& durad, std::uint32_t position);
// Snaps the position to its measure; refused at 0 and where the Beat in force has the
// same values. A Beat already at that position takes the new values. Beats and beat
// ticks lie in 1..255.
int insertBeat(Durad& durad, std::uint32_t position, int beats, int beatTicks);
int deleteBeat(Durad& durad, std::uint32_t position);

// ---- Plug-in assignments ---------------------------------------------------------

// Copies the record (refused when null or shorter than the common head); refused when
// a source with the same start exists.
int insertSource(Durad& durad, int track, const void* record);
// Removes the index-th source; neither marks nor notifies.
int deleteSource(Durad& durad, int track, int index);
int insertEffect(Durad& durad, int track, const void* record);
int deleteEffect(Durad& durad, int track, int index);

// ---- Tracks ----------------------------------------------------------------------

// A new track named `name` (null: empty) at `index`, clamped to first..last.
int insertTrack(Durad& durad, int index, const char* name);
// Refused for the only track.
int deleteTrack(Durad& durad, int index);
int moveTrack(Durad& durad, int from, int to);

// ---- Blocks and the clipboard ----------------------------------------------------

// Removes the selected parts without notifying or normalizing; the first tempo,
// loudness and pan points stay. Marks the Durad changed.
void deleteBlock(Durad& durad, const Selection& selection);
// Replaces the clipboard's contents with the selection, at positions relative to its
// start. With the tempo bit only tempo points are copied. 0 when a track of the
// selection does not exist (the clipboard then holds what was copied before it).
int copyBlock(Durad& durad, const Selection& selection);
// Pastes the clipboard at `position`, from track `track` on, replacing what lies at the
// same places. 0 when there is no clipboard.
int pasteBlock(Durad& durad, int track, std::uint32_t position, int parts);
// Gives track `targetTrack` of `target` copies of the notes, loudness and pan points
// and plug-in assignments of track `sourceTrack` of `source`, and the target the
// source's tempo curve and level. 0 when either track does not exist (the level and
// the tempo curve are then already copied).
int copyTrack(Durad& source, int sourceTrack, Durad& target, int targetTrack);

} // namespace orlim
