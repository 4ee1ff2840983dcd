#include "engine/formats/MidiImport.h"

#include "engine/formats/MidiPresetFile.h"
#include "engine/include/DuradMessages.h"
#include "engine/model/Durad.h"
#include "engine/model/List.h"
#include "platform/MessageBox.h"
#include "plugin-api/Record.h"
#include "tests/midi/MidiWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace orlim {
namespace {

using testing::MidiTrack;
using testing::midiFile;

constexpr const char* kCorrupted = "The file was corrupted!";
constexpr const char* kUnsupported = "Can't open the file in unsupported format!";

// A preset whose record for slot k carries k at offset 76.
std::vector<std::uint8_t> presetRecord(int slot)
{
    std::vector<std::uint8_t> record(80, 0);
    writeField<std::uint16_t>(record.data(), 0, 80);
    setNameField(record.data(), 12, "kestrow.dll");
    record[76] = static_cast<std::uint8_t>(slot);
    return record;
}

class MidiImportTest : public ::testing::Test {
protected:
    MidiImportTest()
        : window_([this](std::uint32_t msg, WParam, LParam l) {
              messages_.push_back({msg, l});
              return 0;
          })
    {
        MidiPreset preset;
        for (int slot = 0; slot < kPresetSlots; ++slot)
            preset.setSlot(slot, presetRecord(slot));
        preset.write(presetPath_);
    }

    bool import(const std::string& bytes)
    {
        const std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
        return importMidi(durad_, file, "song.mid", presetPath_);
    }

    // The first note of the only track that has notes at this pitch.
    const Note* noteWithPitch(int pitch) const
    {
        for (const Track* track = durad_.tracks; track; track = track->next)
            for (const Note* note = track->notes; note; note = note->next)
                if (note->pitch == pitch)
                    return note;
        return nullptr;
    }

    const Track* trackWithPitch(int pitch) const
    {
        for (const Track* track = durad_.tracks; track; track = track->next)
            for (const Note* note = track->notes; note; note = note->next)
                if (note->pitch == pitch)
                    return track;
        return nullptr;
    }

    testing::TempDir dir_;
    std::string presetPath_ = dir_.file("midiset.pre");
    QueueWindow window_;
    std::vector<std::pair<std::uint32_t, LParam>> messages_;
    Durad durad_{&window_};
    MessageBoxRecorder boxes_;
};

TEST_F(MidiImportTest, NotesLandOnTheirChannelsTrackAtModelTicks)
{
    MidiTrack tempoMap;
    tempoMap.tempo(0, 500000).end();
    MidiTrack notes;
    notes.noteOn(480, 0, 60).noteOff(480, 0, 60).end();
    ASSERT_TRUE(import(midiFile(1, 480, {tempoMap, notes})));
    const Note* note = noteWithPitch(60);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->position, 32u);
    EXPECT_EQ(note->duration, 32);
    EXPECT_EQ(durad_.tempoPoints->tempo, 3840);
    EXPECT_EQ(durad_.tempoPoints->next, nullptr);
    EXPECT_EQ(trackCount(durad_), 1);
    EXPECT_TRUE(boxes_.texts().empty());
    EXPECT_FALSE(isChanged(durad_));
    EXPECT_EQ(durad_.filePath, "song.mid");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].first, static_cast<std::uint32_t>(WM_MUS_LOADED));
    EXPECT_EQ(messages_[0].second, reinterpret_cast<LParam>(&durad_));
}

TEST_F(MidiImportTest, FractionalTicksBecomeTheDelay)
{
    MidiTrack track;
    track.noteOn(21, 0, 62).noteOff(20, 0, 62).end();
    ASSERT_TRUE(import(midiFile(0, 64, {track})));
    const Note* note = noteWithPitch(62);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->position, 10u);
    EXPECT_EQ(note->delay, 120);
    EXPECT_EQ(note->duration, 10);
}

TEST_F(MidiImportTest, TimeSignatureAndKeyAtTheStartChangeTheFirstEntries)
{
    MidiTrack conductor;
    conductor.meta(0, 0x58, std::string{6, 3, 24, 8}).end();
    // Meta events of the second chunk address track 0 until its first channel event.
    MidiTrack melody;
    melody.meta(0, 0x59, std::string{'\xFD', 0}).noteOn(0, 0, 72).noteOff(32, 0, 72).end();
    ASSERT_TRUE(import(midiFile(1, 32, {conductor, melody})));
    EXPECT_EQ(durad_.beats->beats, 6);
    EXPECT_EQ(durad_.beats->beatTicks, 16);
    EXPECT_EQ(durad_.beats->next, nullptr);
    EXPECT_EQ(durad_.tracks->clefs->key, -3);
    EXPECT_EQ(durad_.tracks->clefs->clef, 0);
}

TEST_F(MidiImportTest, DrumChannelTakesTheDrumPresetAndFixedDurations)
{
    MidiTrack track;
    track.event(0, {0xC9, 0}).noteOn(0, 9, 36).noteOn(0, 9, 38).noteOff(100, 9, 38);
    track.event(0, {0xC0, 5}).event(0, {0xC0, 7}).noteOn(0, 0, 60).noteOff(16, 0, 60).end();
    ASSERT_TRUE(import(midiFile(0, 32, {track})));
    const Track* drums = trackWithPitch(36);
    ASSERT_NE(drums, nullptr);
    ASSERT_NE(drums->sources, nullptr);
    EXPECT_EQ(drums->sources->entry.data()[76], 128);
    EXPECT_EQ(noteWithPitch(36)->duration, 32);
    EXPECT_EQ(noteWithPitch(38)->duration, 32);
    // Only the first program change of a track takes effect.
    const Track* piano = trackWithPitch(60);
    ASSERT_EQ(listCount(piano->sources), 1);
    EXPECT_EQ(piano->sources->entry.data()[76], 5);
}

TEST_F(MidiImportTest, PanAndVolumeAtTheStartSetTheFirstPoints)
{
    struct Case {
        int pan;
        int x;
    };
    for (const Case c : {Case{127, 30000}, Case{0, -30000}}) {
        SCOPED_TRACE(c.pan);
        MidiTrack track;
        track.controller(0, 0, 10, c.pan).controller(0, 0, 7, 0).noteOn(0, 0, 60).noteOff(32, 0, 60).end();
        ASSERT_TRUE(import(midiFile(0, 32, {track})));
        EXPECT_EQ(durad_.tracks->panoPoints->x, c.x);
        EXPECT_EQ(durad_.tracks->panoPoints->next, nullptr);
        // Volume 0 has no logarithm; it stands for silence.
        EXPECT_EQ(durad_.tracks->loudPoints->loudness, -9600);
    }
}

TEST_F(MidiImportTest, LevelsFollowTheLogarithmAndOnlyNothingTakesTheFloor)
{
    const struct {
        int volume;
        int expression; // -1: none
        int loudness;
    } cases[] = {{0, -1, -9600}, {1, -1, -8415}, {1, 1, -16830}, {127, 64, -1190}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.volume << " " << c.expression);
        MidiTrack track;
        track.controller(0, 0, 7, c.volume);
        if (c.expression >= 0)
            track.controller(0, 0, 11, c.expression);
        track.noteOn(0, 0, 60).noteOff(32, 0, 60).end();
        ASSERT_TRUE(import(midiFile(0, 32, {track})));
        EXPECT_EQ(durad_.tracks->loudPoints->loudness, c.loudness);
    }
}

TEST_F(MidiImportTest, NotesOfOneChannelFromSeveralChunksAndOverlappingKeysKeepTheirOrder)
{
    // The second chunk goes back in time on the same channel; key 60 sounds twice at once.
    MidiTrack later;
    later.noteOn(64, 0, 60).noteOn(16, 0, 60).noteOff(16, 0, 60).noteOff(16, 0, 60).end();
    MidiTrack earlier;
    earlier.noteOn(0, 0, 62).noteOn(0, 0, 55).noteOff(8, 0, 62).noteOn(0, 0, 60).noteOff(8, 0, 55)
        .noteOff(0, 0, 60).end();
    ASSERT_TRUE(import(midiFile(1, 32, {later, earlier})));
    std::vector<std::tuple<std::uint32_t, int, int>> notes;
    for (const Note* note = durad_.tracks->notes; note; note = note->next)
        notes.emplace_back(note->position, note->pitch, note->duration);
    // 32 ticks a quarter at 32 per quarter: model ticks equal file ticks.
    EXPECT_EQ(notes, (std::vector<std::tuple<std::uint32_t, int, int>>{
                         {0, 55, 16}, {0, 62, 8}, {8, 60, 8}, {64, 60, 32}, {80, 60, 32}}));
}

TEST_F(MidiImportTest, PitchBendFollowsTheBendRange)
{
    struct Case {
        bool rpn;
        int cents;
    };
    for (const Case c : {Case{false, 199}, Case{true, 1199}}) {
        SCOPED_TRACE(c.rpn);
        MidiTrack track;
        if (c.rpn)
            track.controller(0, 0, 101, 0).controller(0, 0, 100, 0).controller(0, 0, 6, 12);
        track.noteOn(0, 0, 60).event(16, {0xE0, 0x7F, 0x7F}).noteOff(16, 0, 60).end();
        ASSERT_TRUE(import(midiFile(0, 32, {track})));
        const Note* note = noteWithPitch(60);
        ASSERT_EQ(note->portamentoCount, 1);
        EXPECT_EQ(note->portamento[0].x, 500);
        EXPECT_EQ(note->portamento[0].y, c.cents);
    }
}

TEST_F(MidiImportTest, LaterBendsStartFromThePreviousOffset)
{
    MidiTrack track;
    track.event(0, {0xE0, 0, 0x50}).noteOn(8, 0, 60).event(16, {0xE0, 0, 0x40}).noteOff(16, 0, 60).end();
    ASSERT_TRUE(import(midiFile(0, 32, {track})));
    const Note* note = noteWithPitch(60);
    ASSERT_EQ(note->portamentoCount, 2);
    EXPECT_EQ(note->portamento[0].x, 0);
    EXPECT_EQ(note->portamento[0].y, 50);
    EXPECT_EQ(note->portamento[1].x, 500);
    EXPECT_EQ(note->portamento[1].y, 0);
}

TEST_F(MidiImportTest, MostlyLowNotesGetTheBassClef)
{
    MidiTrack track;
    track.noteOn(0, 0, 40).noteOn(0, 0, 45).noteOn(0, 0, 70).noteOff(32, 0, 40).noteOff(0, 0, 45).noteOff(0, 0, 70);
    track.meta(0, 0x59, std::string{2, 0}).end();
    ASSERT_TRUE(import(midiFile(0, 32, {track})));
    for (const Clef* clef = durad_.tracks->clefs; clef; clef = clef->next)
        EXPECT_EQ(clef->clef, 1);
}

TEST_F(MidiImportTest, AMissingChunkFailsButKeepsWhatTheOthersGave)
{
    MidiTrack first;
    first.noteOn(0, 0, 60).noteOff(32, 0, 60).end();
    MidiTrack second;
    second.noteOn(0, 1, 64).noteOff(32, 1, 64).end();
    EXPECT_FALSE(import(midiFile(1, 32, {first, second}, 3)));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Can't Find the track!"});
    EXPECT_NE(noteWithPitch(60), nullptr);
    EXPECT_NE(noteWithPitch(64), nullptr);
    EXPECT_EQ(durad_.notifyEnabled, 1);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(MidiImportTest, RunningStatusCarriesAcrossChunks)
{
    MidiTrack first;
    first.noteOn(0, 0, 60);
    MidiTrack second;
    second.raw(testing::quantity(32) + std::string{60, 0}).end();
    ASSERT_TRUE(import(midiFile(1, 32, {first, second})));
    EXPECT_EQ(noteWithPitch(60)->duration, 32);
}

TEST_F(MidiImportTest, TimeCodeDivisionUsesTheTempoInForce)
{
    // 25 frames of 40 ticks: a delta of 1000 is one second, 64 ticks at 3840.
    MidiTrack track;
    track.noteOn(1000, 0, 60).noteOff(1000, 0, 60).end();
    ASSERT_TRUE(import(midiFile(0, 0xE728, {track})));
    EXPECT_EQ(noteWithPitch(60)->position, 64u);
    EXPECT_EQ(noteWithPitch(60)->duration, 64);
}

TEST_F(MidiImportTest, TempoChangesAreKeptWhereTheyHappen)
{
    MidiTrack track;
    track.noteOn(0, 0, 60).tempo(100, 250000).tempo(100, 500000).noteOff(100, 0, 60).end();
    ASSERT_TRUE(import(midiFile(0, 32, {track})));
    EXPECT_EQ(tempoInForce(durad_, 99)->tempo, 3840);
    EXPECT_EQ(tempoInForce(durad_, 100)->tempo, 7680);
    EXPECT_EQ(tempoInForce(durad_, 199)->tempo, 7680);
    EXPECT_EQ(tempoInForce(durad_, 200)->tempo, 3840);
}

TEST_F(MidiImportTest, UnusableMetaValuesAreSkipped)
{
    MidiTrack conductor;
    conductor.tempo(0, 10)                               // too fast to divide: skipped
        .meta(0, 0x58, std::string{0, 2, 24, 8})         // no beats per measure: skipped
        .meta(0, 0x58, std::string{3, 9, 24, 8})         // beat value 2^9: skipped
        .meta(0, 0x51, std::string{0, 0, 0, 0})          // a tempo of the wrong length is passed over whole
        .tempo(64, 100)                                  // very fast: held at the highest tempo
        .end();
    MidiTrack melody;
    melody.meta(0, 0x59, std::string{9, 0})              // nine sharps: skipped
        .meta(0, 0x20, std::string{static_cast<char>(200)}) // a channel that is no track
        .meta(0, 0x03, "name for nobody")
        .noteOn(0, 0, 60)
        .noteOff(40000, 0, 60)                           // longer than a duration holds
        .end();
    ASSERT_TRUE(import(midiFile(1, 32, {conductor, melody})));
    EXPECT_TRUE(boxes_.texts().empty());
    EXPECT_EQ(durad_.tempoPoints->tempo, 3840);
    EXPECT_EQ(tempoInForce(durad_, 64)->tempo, 65535);
    EXPECT_EQ(durad_.beats->beats, 4);
    EXPECT_EQ(durad_.beats->next, nullptr);
    EXPECT_EQ(durad_.tracks->clefs->key, 0);
    EXPECT_EQ(durad_.name, "");
    EXPECT_EQ(durad_.tracks->name, "");
    EXPECT_EQ(noteWithPitch(60)->duration, 32767);
}

TEST_F(MidiImportTest, ALoudnessJumpAtANoteKeepsTheFirstPointAtZero)
{
    MidiTrack track;
    track.noteOn(10, 0, 60).controller(2, 0, 7, 0).noteOff(20, 0, 60).end();
    ASSERT_TRUE(import(midiFile(0, 32, {track})));
    const LoudPoint* first = durad_.tracks->loudPoints;
    EXPECT_EQ(first->position, 0u);
    EXPECT_EQ(first->loudness, 0);
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(first->next->position, 9u);
    EXPECT_EQ(first->next->loudness, 0);
    ASSERT_NE(first->next->next, nullptr);
    EXPECT_EQ(first->next->next->position, 10u);
    EXPECT_EQ(first->next->next->loudness, -9600);
}

struct BrokenCase {
    const char* name;
    std::string bytes;
    const char* message;
};

TEST_F(MidiImportTest, BrokenFilesEndWithAListedMessage)
{
    const std::string header = "MThd" + testing::bigEndian(6, 4);
    const auto oneTrack = [&](const std::string& events) {
        return header + testing::bigEndian(0, 2) + testing::bigEndian(1, 2) + testing::bigEndian(32, 2) + "MTrk" +
               testing::bigEndian(static_cast<std::uint32_t>(events.size()), 4) + events;
    };
    const BrokenCase cases[] = {
        {"not MIDI", "RIFF0000", "It's not a MID file!"},
        {"format 2", header + testing::bigEndian(2, 2) + testing::bigEndian(1, 2) + testing::bigEndian(32, 2),
         kUnsupported},
        {"data byte without running status", oneTrack(std::string{0, 60, 100}), kCorrupted},
        {"data byte above 127", oneTrack(std::string{0, '\x90', '\xC8', 100}), kCorrupted},
        {"quantity of five bytes", oneTrack(std::string{'\x81', '\x81', '\x81', '\x81', 1, '\x90', 60, 100}),
         kUnsupported},
        {"meta longer than its chunk", oneTrack(std::string{0, '\xFF', 1, 100, 'a'}), kCorrupted},
        {"event cut off", oneTrack(std::string{0, '\x90', 60}), kCorrupted},
        {"chunk not MTrk", header + testing::bigEndian(0, 2) + testing::bigEndian(1, 2) + testing::bigEndian(32, 2) +
                               "XTrk" + testing::bigEndian(0, 4),
         "Can't Find the track!"},
    };
    for (const BrokenCase& broken : cases) {
        SCOPED_TRACE(broken.name);
        boxes_.clear();
        EXPECT_FALSE(import(broken.bytes));
        EXPECT_EQ(boxes_.texts(), std::vector<std::string>{broken.message});
        EXPECT_EQ(durad_.notifyEnabled, 1);
    }
}

TEST_F(MidiImportTest, EveryTruncationOfAFileEndsWithAListedMessage)
{
    MidiTrack track;
    track.tempo(0, 400000).meta(0, 0x03, "Title").controller(0, 0, 10, 64).noteOn(0, 0, 60);
    track.event(8, {0xE0, 0, 0x50}).noteOff(24, 0, 60).event(0, {0xF0, 2, 1, 0xF7}).end();
    const std::string whole = midiFile(0, 96, {track});
    const std::vector<std::string> listed = {"It's not a MID file!", kUnsupported, "Can't Find the track!", kCorrupted};
    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(size);
        boxes_.clear();
        Durad durad(nullptr);
        const std::vector<std::uint8_t> file(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(importMidi(durad, file, "cut.mid", presetPath_));
        const auto texts = boxes_.texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(std::find(listed.begin(), listed.end(), texts[0]), listed.end()) << texts[0];
    }
}

TEST_F(MidiImportTest, AFileThatCannotBeOpenedLeavesTheDuradUntouched)
{
    durad_.name = "Kept";
    EXPECT_FALSE(importMidi(durad_, dir_.file("absent.mid"), presetPath_));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Failed to open the file."});
    EXPECT_EQ(durad_.name, "Kept");
}

} // namespace
} // namespace orlim
