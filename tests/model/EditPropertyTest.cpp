// Random edit sequences, from a fixed seed, keep every list invariant after each step.

#include "engine/model/Editing.h"

#include "engine/formats/RwmFile.h"

#include "engine/model/DuradEngine.h"
#include "engine/model/List.h"
#include "engine/model/Timeline.h"
#include "tests/model/ModelInvariants.h"
#include "tests/model/ModelTestHelpers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace orlim {
namespace {

class RandomEditor {
public:
    explicit RandomEditor(unsigned seed)
        : random_(seed)
    {
    }

    // Applies one random edit to `durad` (with `other` as a second Durad for track
    // copies) and returns its name.
    std::string edit(Durad& durad, Durad& other)
    {
        const int tracks = trackCount(durad);
        const int t = pick(-1, tracks);
        const std::uint32_t p = position();
        switch (pick(0, 27)) {
        case 0:
        case 1:
            insertNote(durad, t, p, pick(40, 80), pick(-2, 300));
            return "insert note";
        case 2:
            deleteNote(durad, t, p, pick(40, 80));
            return "delete note";
        case 3:
            if (Track* track = trackAt(durad, t); track && track->notes) {
                const Note* n = listAt(track->notes, pick(0, listCount(track->notes) - 1));
                modifyNote(durad, t, n->position, n->pitch, pick(0, 3) ? position() : kKeepPosition,
                           pick(-1, 80), pick(-1, 200));
            }
            return "modify note";
        case 4:
            insertClef(durad, t, p, pick(0, 9), pick(-7, 7));
            return "insert clef";
        case 5:
            deleteClef(durad, t, p);
            return "delete clef";
        case 6:
            insertLoud(durad, t, p, pick(-9600, 9600));
            return "insert loudness";
        case 7:
            deleteLoud(durad, t, p);
            return "delete loudness";
        case 8:
            insertPano(durad, t, p, pick(-100, 100), pick(-100, 100), pick(-100, 100));
            return "insert pan";
        case 9:
            deletePano(durad, t, p);
            return "delete pan";
        case 10:
            insertTempo(durad, p, pick(0, 8000));
            return "insert tempo";
        case 11:
            deleteTempo(durad, p);
            return "delete tempo";
        case 12:
            insertBeat(durad, p, pick(0, 7), 1 << pick(2, 6));
            return "insert beat";
        case 13:
            deleteBeat(durad, p);
            return "delete beat";
        case 14: {
            const auto record = testing::sourceRecord(p, static_cast<std::uint8_t>(pick(0, 255)),
                                                      static_cast<std::uint16_t>(pick(70, 120)));
            insertSource(durad, t, record.data());
            return "insert source";
        }
        case 15: {
            const auto record = testing::effectRecord(p, position(), static_cast<std::uint8_t>(pick(0, 255)),
                                                      static_cast<std::uint16_t>(pick(70, 150)));
            insertEffect(durad, t, record.data());
            return "insert effect";
        }
        case 16:
            deleteSource(durad, t, pick(-1, 3));
            deleteEffect(durad, t, pick(-1, 3));
            return "delete entries";
        case 17:
            insertTrack(durad, pick(-1, tracks + 1), "t");
            return "insert track";
        case 18:
            deleteTrack(durad, pick(-1, tracks));
            return "delete track";
        case 19:
            moveTrack(durad, pick(-1, tracks), pick(-1, tracks + 1));
            return "move track";
        case 20:
            deleteBlock(durad, selection(tracks));
            return "delete block";
        case 21:
            copyBlock(durad, selection(tracks));
            return "copy";
        case 22:
            pasteBlock(durad, pick(0, tracks), position(), pick(0, 15));
            return "paste";
        case 23:
            copyTrack(durad, t, other, pick(-1, trackCount(other)));
            return "copy track out";
        case 24:
            copyTrack(pick(0, 1) ? other : durad, pick(0, 2), durad, t);
            return "copy track in";
        case 25:
            // In-place changes through returned records, then the caller marks them.
            if (Track* track = trackAt(durad, t)) {
                if (LoudPoint* loud = loudInForce(*track, p); loud->position != 0)
                    loud->position = position() + 1;
                if (SourceNode* source = sourceInForce(*track, p))
                    writeField<std::uint32_t>(source->entry.data(), 8, position());
                markChanged(durad, t);
            }
            return "change a track in place";
        case 26:
            beatInForce(durad, p)->beatTicks = static_cast<std::uint8_t>(1 << pick(2, 6));
            if (TempoPoint* tempo = tempoInForce(durad, p); tempo->position != 0)
                tempo->position = position() + 1;
            markChanged(durad, -1);
            return "change the music in place";
        default: {
            int last = pick(0, tracks + 2);
            measureTable(durad, pick(-1, tracks), last, pick(-1, 3), pick(0, 12));
            noteAtOrAfter(*durad.tracks, p);
            timeOfPosition(durad, p, pick(0, 239));
            positionOfTime(durad, static_cast<std::uint32_t>(pick(0, 100000)));
            return "look up";
        }
        }
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Positions gather on a coarse grid so that edits often meet each other.
    std::uint32_t position()
    {
        if (pick(0, 9) == 0)
            return static_cast<std::uint32_t>(pick(0, 2000));
        return static_cast<std::uint32_t>(pick(0, 40) * 32);
    }

    Selection selection(int tracks)
    {
        const int first = pick(0, tracks - 1);
        const std::uint32_t start = position();
        return Selection{first, pick(first, tracks), pick(4000, 12700), pick(0, 8000),
                         static_cast<std::int32_t>(start), static_cast<std::int32_t>(start + position()),
                         pick(0, 15)};
    }

    std::mt19937 random_;
};

TEST(EditProperty, RandomEditsKeepEveryListInvariant)
{
    RandomEditor editor(20240611);
    Durad durad(nullptr);
    Durad other(nullptr);
    for (int step = 0; step < 6000; ++step) {
        const std::string name = editor.edit(durad, other);
        const std::string broken = testing::brokenInvariant(durad);
        ASSERT_TRUE(broken.empty()) << "step " << step << " (" << name << "): " << broken;
        ASSERT_TRUE(testing::brokenInvariant(other).empty()) << "step " << step << " (" << name << ")";
        if (step % 97 == 0) {
            const std::unique_ptr<Durad> copy = duplicateDurad(durad);
            ASSERT_TRUE(testing::sameMusic(*copy, durad)) << "step " << step;
            ASSERT_TRUE(testing::brokenInvariant(*copy).empty());
        }
    }
    EXPECT_GT(musicLength(durad), 0u) << "the sequence built some music";
}

TEST(EditProperty, RandomlyEditedMusicSurvivesASaveAndLoad)
{
    RandomEditor editor(99);
    testing::TempDir dir;
    const std::string path = dir.file("edited.rwm");
    Durad durad(nullptr);
    Durad other(nullptr);
    for (int step = 1; step <= 1500; ++step) {
        const std::string name = editor.edit(durad, other);
        if (step % 150 != 0)
            continue;
        ASSERT_TRUE(writeRwm(durad, path)) << "step " << step;
        Durad loaded(nullptr);
        ASSERT_TRUE(readRwm(loaded, path)) << "step " << step;
        // Loading normalizes, which drops what editing may leave for the next
        // normalization (a note of no duration, for one).
        const std::unique_ptr<Durad> saved = duplicateDurad(durad);
        normalizeAll(*saved);
        ASSERT_TRUE(testing::sameMusic(*saved, loaded)) << "step " << step << " (" << name << ")";
        ASSERT_FALSE(isChanged(loaded));
    }
}

TEST(EditProperty, NormalizationOfAValidDuradChangesNothing)
{
    RandomEditor editor(7);
    Durad durad(nullptr);
    Durad other(nullptr);
    for (int step = 0; step < 800; ++step)
        editor.edit(durad, other);
    const std::unique_ptr<Durad> before = duplicateDurad(durad);
    clearChanged(durad);
    normalizeAll(durad);
    EXPECT_FALSE(isChanged(durad));
    EXPECT_TRUE(testing::sameMusic(*before, durad));
}

} // namespace
} // namespace orlim
