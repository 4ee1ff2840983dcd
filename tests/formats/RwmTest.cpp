#include "engine/formats/RwmFile.h"

#include "engine/include/DuradMessages.h"
#include "engine/model/Durad.h"
#include "engine/model/List.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/Riff.h"
#include "tests/formats/RiffBytes.h"
#include "tests/model/ModelInvariants.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <vector>

namespace orlim {
namespace {

using testing::chunk;
using testing::le16;
using testing::le32;
using testing::list;
using testing::text;

constexpr const char* kDamaged = "The file is damaged: some of its records could not be read.";

// A source or effect record of `length` bytes: the length, a start, a name and a
// pattern in the plug-in's own part.
std::string entryBytes(std::uint16_t length, std::uint32_t start, std::uint32_t second = 0)
{
    std::string bytes(length, '\0');
    const std::string head = le16(length) + le16(0) + le32(second) + le32(start);
    bytes.replace(0, head.size(), head);
    bytes.replace(12, 11, "kestrow.dll");
    for (std::size_t i = 76; i < length; ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

std::string noteBytes(std::uint32_t position, std::int8_t pitch, std::int16_t duration,
                      std::vector<std::pair<int, int>> portamento = {}, std::vector<std::pair<int, int>> expression = {},
                      std::optional<std::int16_t> statedPortamento = std::nullopt)
{
    std::string bytes = le32(position) + std::string{'\0', static_cast<char>(pitch), '\0', '\0'} + le16(0) +
                        le16(static_cast<std::uint16_t>(duration)) + le16(1000) + le16(0) +
                        le16(static_cast<std::uint16_t>(statedPortamento.value_or(static_cast<std::int16_t>(portamento.size())))) +
                        le16(static_cast<std::uint16_t>(expression.size()));
    for (auto [x, y] : portamento)
        bytes += le16(static_cast<std::uint16_t>(x)) + le16(static_cast<std::uint16_t>(y));
    for (auto [x, y] : expression)
        bytes += le16(static_cast<std::uint16_t>(x)) + le16(static_cast<std::uint16_t>(y));
    return bytes;
}

// The chunks of one "mtrk" list by id; an id mapped to nullopt is left out.
using Overrides = std::map<std::string, std::optional<std::string>>;

std::string trackList(const Overrides& overrides = {})
{
    const std::vector<std::pair<std::string, std::string>> standard = {
        {"tnam", std::string("Piano") + '\0'},
        {"tcmt", std::string(1, '\0')},
        {"tsrc", entryBytes(93, 0)},
        {"teff", ""},
        {"tclf", le32(0) + std::string{'\0', '\0'}},
        {"tlou", le32(0) + le16(0)},
        {"tpan", le32(0) + le16(0) + le16(0) + le16(0)},
        {"tnot", noteBytes(0, 60, 32)},
    };
    std::string data = "mtrk";
    for (const auto& [id, bytes] : standard) {
        const auto replaced = overrides.find(id);
        if (replaced == overrides.end())
            data += chunk(id, bytes);
        else if (replaced->second)
            data += chunk(id, *replaced->second);
    }
    return chunk("LIST", data);
}

std::string musList(const Overrides& overrides, const std::vector<std::string>& tracks)
{
    const std::vector<std::pair<std::string, std::string>> standard = {
        {"mlev", le16(static_cast<std::uint16_t>(-300))},
        {"mbt ", le32(0) + std::string{'\3', '\x20'}},
        {"mtem", le32(0) + le16(5000)},
        {"mtcn", le32(static_cast<std::uint32_t>(tracks.size()))},
    };
    std::string data = "mus ";
    for (const auto& [id, bytes] : standard) {
        const auto replaced = overrides.find(id);
        if (replaced == overrides.end())
            data += chunk(id, bytes);
        else if (replaced->second)
            data += chunk(id, *replaced->second);
    }
    for (const std::string& track : tracks)
        data += track;
    return chunk("LIST", data);
}

std::string infoList()
{
    return list("LIST", "INFO", {text("INAM", "Song"), text("icrd", "created\n"), text("ilmd", "modified\n"),
                                 text("iaut", "Author"), text("iexe", "Player"), text("icop", "(c)"),
                                 text("ICMT", "Comment")});
}

std::string document(const std::string& music, const std::string& info = infoList(), bool withVersion = true)
{
    std::string data = "wbmr";
    if (withVersion)
        data += chunk("iver", le32(0x10000));
    data += info + music;
    return chunk("RIFF", data);
}

std::string standardDocument()
{
    return document(musList({}, {trackList()}));
}

class RwmFileTest : public ::testing::Test {
protected:
    RwmFileTest()
        : window_([this](std::uint32_t msg, WParam, LParam l) {
              messages_.push_back({msg, l});
              return 0;
          })
    {
    }

    bool load(const std::string& bytes)
    {
        testing::writeFile(path_, bytes);
        return readRwm(durad_, path_);
    }

    int loadedCount() const
    {
        int count = 0;
        for (const auto& [msg, l] : messages_)
            count += msg == WM_MUS_LOADED && l == reinterpret_cast<LParam>(&durad_);
        return count;
    }

    testing::TempDir dir_;
    std::string path_ = dir_.file("song.rwm");
    QueueWindow window_;
    std::vector<std::pair<std::uint32_t, LParam>> messages_;
    Durad durad_{&window_};
    MessageBoxRecorder boxes_;
};

// A Durad with every kind of record, each field set to something other than its default.
void fillEverything(Durad& durad)
{
    durad.name = "Name";
    durad.author = "Author";
    durad.executant = "Executant";
    durad.copyright = "Copyright";
    durad.comment = "Line one\nline two";
    durad.level = -1234;
    FirstThenAppend<Beat> beats(durad.beats);
    beats.add(Beat{0, 3, 32, nullptr});
    beats.add(Beat{96, 6, 16, nullptr});
    FirstThenAppend<TempoPoint> tempo(durad.tempoPoints);
    tempo.add(TempoPoint{0, 3000, nullptr});
    tempo.add(TempoPoint{200, 65535, nullptr});

    ListAppender<Track> tracks(durad.tracks);
    Track* second = tracks.add(new Track);
    for (Track* track : {durad.tracks, second}) {
        track->name = track == second ? "Bass" : "Lead";
        track->comment = "comment of " + track->name;
        const std::string sources[] = {entryBytes(76, 0), entryBytes(93, 64), entryBytes(101, 128)};
        ListAppender<SourceNode> sourceList(track->sources);
        for (const std::string& bytes : sources)
            sourceList.add(SourceNode::copyOf(bytes.data()));
        // Two effects with one start (offset 4) and different lengths (offset 8) keep their order.
        const std::string effects[] = {entryBytes(144, 32, 10), entryBytes(77, 5, 10)};
        ListAppender<EffectNode> effectList(track->effects);
        for (const std::string& bytes : effects)
            effectList.add(EffectNode::copyOf(bytes.data()));
        FirstThenAppend<Clef> clefs(track->clefs);
        clefs.add(Clef{0, -3, 1, nullptr});
        clefs.add(Clef{128, 7, 9, nullptr});
        FirstThenAppend<LoudPoint> loud(track->loudPoints);
        loud.add(LoudPoint{0, -600, nullptr});
        loud.add(LoudPoint{50, 9600, nullptr});
        FirstThenAppend<PanoPoint> pan(track->panoPoints);
        pan.add(PanoPoint{0, -32768, 32767, 5, nullptr});
        pan.add(PanoPoint{70, 1, -2, 3, nullptr});

        ListAppender<Note> notes(track->notes);
        Note* plain = notes.add(new Note);
        plain->position = 0;
        plain->duration = 32;
        Note* rich = notes.add(new Note);
        rich->position = 40;
        rich->delay = 239;
        rich->pitch = 121;
        rich->tune = -100;
        rich->string = 6;
        rich->loudness = -9600;
        rich->duration = 32767;
        rich->legato = 2000;
        const CurvePoint portamento[] = {{0, -200}, {500, 200}, {1000, 0}};
        const CurvePoint expression[] = {{250, -9600}};
        setPortamento(*rich, portamento, 3);
        setExpression(*rich, expression, 1);
    }
}

TEST_F(RwmFileTest, RoundTripKeepsEveryListTextAndLevel)
{
    Durad original(nullptr);
    fillEverything(original);
    original.changed = 1;
    ASSERT_TRUE(writeRwm(original, path_));
    EXPECT_EQ(original.filePath, path_);
    EXPECT_FALSE(isChanged(original));

    ASSERT_TRUE(readRwm(durad_, path_));
    EXPECT_TRUE(testing::sameMusic(original, durad_));
    EXPECT_EQ(durad_.modifiedDate, original.modifiedDate);
    EXPECT_EQ(durad_.filePath, path_);
    EXPECT_FALSE(isChanged(durad_));
    EXPECT_EQ(loadedCount(), 1);
    EXPECT_TRUE(boxes_.texts().empty());
}

TEST_F(RwmFileTest, WritesTheExactBytesOfASmallDocument)
{
    Durad durad(nullptr);
    durad.createdDate = "c";
    Note* note = new Note;
    note->position = 5;
    note->pitch = 64;
    note->duration = 16;
    const CurvePoint portamento[] = {{100, -50}, {900, 50}};
    setPortamento(*note, portamento, 2);
    durad.tracks->notes = note;
    ASSERT_TRUE(writeRwm(durad, path_));

    const std::string date = durad.modifiedDate;
    ASSERT_EQ(date.size(), 25u);
    const std::string noteRecord = le32(5) + std::string{'\0', 64, '\0', '\0'} + le16(0) + le16(16) + le16(1000) +
                                   le16(0) + le16(2) + le16(0) + le16(100) + le16(static_cast<std::uint16_t>(-50)) +
                                   le16(900) + le16(50);
    ASSERT_EQ(noteRecord.size(), 28u);
    const std::string expected =
        "RIFF" + le32(314) + "wbmr" +                                      //
        "iver" + le32(4) + le32(0x10000) +                                 //
        "LIST" + le32(98) + "INFO" +                //
        "INAM" + le32(1) + std::string(2, '\0') +                          // empty text, pad byte
        "icrd" + le32(2) + "c" + std::string(1, '\0') +                    //
        "ilmd" + le32(26) + date + std::string(1, '\0') +                  //
        "iaut" + le32(1) + std::string(2, '\0') + "iexe" + le32(1) + std::string(2, '\0') +
        "icop" + le32(1) + std::string(2, '\0') + "ICMT" + le32(1) + std::string(2, '\0') +
        "LIST" + le32(184) + "mus " +                                      //
        "mlev" + le32(2) + le16(static_cast<std::uint16_t>(-500)) +        //
        "mbt " + le32(6) + le32(0) + std::string{4, 32} +                  //
        "mtem" + le32(6) + le32(0) + le16(3840) +                          //
        "mtcn" + le32(4) + le32(1) +                                       //
        "LIST" + le32(122) + "mtrk" +                                       //
        "tnam" + le32(1) + std::string(2, '\0') + "tcmt" + le32(1) + std::string(2, '\0') +
        "tsrc" + le32(0) + "teff" + le32(0) +                              // empty lists, size 0
        "tclf" + le32(6) + le32(0) + std::string(2, '\0') +                //
        "tlou" + le32(6) + le32(0) + le16(0) +                             //
        "tpan" + le32(10) + le32(0) + le16(0) + le16(0) + le16(0) +        //
        "tnot" + le32(28) + noteRecord;
    EXPECT_EQ(testing::readFile(path_), expected);
}

TEST_F(RwmFileTest, InfoTextsAreFoundOnlyInWrittenOrder)
{
    const std::string info = list("LIST", "INFO", {text("iaut", "Author"), text("INAM", "Song"), text("ICMT", "Note")});
    ASSERT_TRUE(load(document(musList({}, {trackList()}), info)));
    EXPECT_EQ(durad_.name, "Song");
    EXPECT_EQ(durad_.author, "");
    // A text that is missing does not move the search on: the comment after it is found.
    EXPECT_EQ(durad_.comment, "Note");
}

TEST_F(RwmFileTest, ClefKindKeepsItsLowFourBitsAndKeysStayInRange)
{
    const std::string clefs = le32(0) + std::string{'\x09', '\x13'} + le32(64) + std::string{'\xF7', '\x01'};
    ASSERT_TRUE(load(document(musList({}, {trackList({{"tclf", clefs}})}))));
    const Clef* first = durad_.tracks->clefs;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->clef, 3);
    EXPECT_EQ(first->key, 7);
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(first->next->key, -7);
}

TEST_F(RwmFileTest, TrackLoopEndsWithTheMusicList)
{
    ASSERT_TRUE(load(document(musList({{"mtcn", le32(3)}}, {trackList(), trackList()}))));
    EXPECT_EQ(trackCount(durad_), 2);
    EXPECT_TRUE(boxes_.texts().empty());
}

TEST_F(RwmFileTest, FirstEntriesOfEveryTrackLieAtZeroAfterLoading)
{
    const Overrides late = {{"tclf", le32(64) + std::string{'\0', '\1'}},
                            {"tlou", le32(64) + le16(static_cast<std::uint16_t>(-600))},
                            {"tpan", le32(64) + le16(5) + le16(5) + le16(5)}};
    ASSERT_TRUE(load(document(musList({}, {trackList(late)}))));
    Track& track = *durad_.tracks;
    ASSERT_NE(clefInForce(track, 0), nullptr);
    EXPECT_EQ(track.clefs->position, 0u);
    EXPECT_EQ(track.loudPoints->position, 0u);
    EXPECT_EQ(track.loudPoints->loudness, 0);
    EXPECT_EQ(track.panoPoints->position, 0u);
    EXPECT_EQ(track.clefs->next->clef, 1);
    EXPECT_EQ(track.loudPoints->next->loudness, -600);
}

TEST_F(RwmFileTest, ALoadThatFailsInATrackStillLeavesEntriesAtZero)
{
    const struct {
        const char* what;
        std::string clefs;
    } cases[] = {
        {"a clef after 0", le32(100) + std::string{'\0', '\1'}},
        {"clefs out of order", le32(100) + std::string{'\0', '\1'} + le32(0) + std::string{'\0', '\2'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.clear();
        const Overrides track = {{"tclf", c.clefs}, {"tlou", le32(64) + le16(0)}, {"tpan", std::nullopt}};
        EXPECT_FALSE(load(document(musList({}, {trackList(track)}))));
        EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Can't find TPAN chunk!"});
        Track& loaded = *durad_.tracks;
        ASSERT_NE(clefInForce(loaded, 0), nullptr);
        EXPECT_EQ(loaded.loudPoints->position, 0u);
        ASSERT_NE(loaded.panoPoints, nullptr);
        EXPECT_EQ(loaded.panoPoints->position, 0u);
    }
}

struct FailureCase {
    const char* name;
    std::string bytes;
    const char* message;
    bool cleared;
    // What the name holds afterwards: kept, cleared, or read from the file before the failure.
    const char* nameAfter;
};

TEST_F(RwmFileTest, EveryFailureShowsItsMessageAndLeavesTheDuradAsStated)
{
    const auto missingTrackChunk = [](const char* id) {
        return document(musList({}, {trackList({{id, std::nullopt}})}));
    };
    const FailureCase cases[] = {
        {"not RIFF", "RIFX" + standardDocument().substr(4), "It's not a RIFF file!", false, "Kept"},
        {"too short", "RI", "It's not a RIFF file!", false, "Kept"},
        {"other form", chunk("RIFF", "WAVE" + chunk("fmt ", "x")), "Can't find the WBMR chunk!", false, "Kept"},
        {"no iver", document(musList({}, {trackList()}), infoList(), false), "Can't find the IVER chunk!", true, ""},
        {"no mus", document(""), "Can't find the MUS chunk!", true, "Song"},
        {"no mlev", document(musList({{"mlev", std::nullopt}}, {trackList()})), "Can't find the MLEV chunk!", true, "Song"},
        {"no mbt", document(musList({{"mbt ", std::nullopt}}, {trackList()})), "Can't find the MBT chunk!", true, "Song"},
        {"no mtem", document(musList({{"mtem", std::nullopt}}, {trackList()})), "Can't find the MTEM chunk!", true, "Song"},
        {"no mtcn", document(musList({{"mtcn", std::nullopt}}, {trackList()})), "Can't find the MTCN chunk!", true, "Song"},
        {"mtrk missing", document(musList({{"mtcn", le32(2)}}, {trackList(), chunk("junk", "")})),
         "Can't find the mtrk chunk!", true, "Song"},
        {"no tsrc", missingTrackChunk("tsrc"), "Can't find TSRC chunk!", true, "Song"},
        {"no teff", missingTrackChunk("teff"), "Can't find TEFF chunk!", true, "Song"},
        {"no tclf", missingTrackChunk("tclf"), "Can't find TCLF chunk!", true, "Song"},
        {"no tlou", missingTrackChunk("tlou"), "Can't find TLOU chunk!", true, "Song"},
        {"no tpan", missingTrackChunk("tpan"), "Can't find TPAN chunk!", true, "Song"},
        {"no tnot", missingTrackChunk("tnot"), "Can't find TNOT chunk!", true, "Song"},
    };
    for (const FailureCase& failure : cases) {
        SCOPED_TRACE(failure.name);
        Durad durad(&window_);
        durad.name = "Kept";
        messages_.clear();
        boxes_.clear();
        testing::writeFile(path_, failure.bytes);
        EXPECT_FALSE(readRwm(durad, path_));
        EXPECT_EQ(boxes_.texts(), std::vector<std::string>{failure.message});
        EXPECT_EQ(durad.name, failure.nameAfter);
        EXPECT_EQ(isChanged(durad), failure.cleared);
        EXPECT_EQ(durad.filePath, "");
        for (const auto& [msg, l] : messages_)
            EXPECT_NE(msg, static_cast<std::uint32_t>(WM_MUS_LOADED));
    }
}

TEST_F(RwmFileTest, MissingMtrkLeavesAnEmptyLastTrack)
{
    EXPECT_FALSE(load(document(musList({{"mtcn", le32(2)}}, {trackList(), chunk("junk", "")}))));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Can't find the mtrk chunk!"});
    EXPECT_EQ(trackCount(durad_), 2);
    EXPECT_EQ(durad_.tracks->next->notes, nullptr);
}

TEST_F(RwmFileTest, AFileThatCannotBeOpenedLeavesTheDuradUntouched)
{
    durad_.name = "Kept";
    EXPECT_FALSE(readRwm(durad_, dir_.file("absent.rwm")));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Failed to open the file."});
    EXPECT_EQ(durad_.name, "Kept");
    EXPECT_FALSE(isChanged(durad_));
}

struct DamageCase {
    const char* name;
    Overrides track;
    Overrides music;
    int sources;
    int notes;
    int beats;
    int tempoPoints = 1;
};

TEST_F(RwmFileTest, MalformedRecordsEndTheirChunkAndTheLoadSaysOnceThatTheFileIsDamaged)
{
    const std::string good = entryBytes(80, 0);
    const std::string note = noteBytes(0, 60, 32);
    const DamageCase cases[] = {
        {"entry length 0", {{"tsrc", good + le16(0) + std::string(10, 'x')}}, {}, 1, 1, 1},
        {"entry length 1", {{"tsrc", good + le16(1)}}, {}, 1, 1, 1},
        {"entry shorter than its head", {{"tsrc", good + entryBytes(75, 8)}}, {}, 1, 1, 1},
        {"entry past the chunk", {{"tsrc", good + entryBytes(90, 8).substr(0, 80)}}, {}, 1, 1, 1},
        {"half a length", {{"tsrc", good + "\x50"}}, {}, 1, 1, 1},
        {"note points past the chunk", {{"tnot", note + noteBytes(32, 62, 32, {{1, 2}}, {}, 20)}}, {}, 1, 1, 1},
        {"partial note header", {{"tnot", note + note.substr(0, 19)}}, {}, 1, 1, 1},
        {"negative pitch", {{"tnot", noteBytes(0, -5, 32) + note}}, {}, 1, 1, 1},
        {"partial beat record", {}, {{"mbt ", le32(0) + std::string{'\3', '\x20'} + "abc"}}, 1, 1, 1},
        // A first record that is left out keeps the default first entry in its place.
        {"beat of no length", {}, {{"mbt ", le32(0) + std::string{'\0', '\x20'} + le32(128) + std::string{'\3', '\x20'}}}, 1, 1, 2},
        {"tempo 0", {}, {{"mtem", le32(0) + le16(0) + le32(1000) + le16(2000)}}, 1, 1, 1, 2},
        {"unterminated text", {{"tnam", std::string("Pia")}}, {}, 1, 1, 1},
    };
    for (const DamageCase& damage : cases) {
        SCOPED_TRACE(damage.name);
        Durad durad(nullptr);
        boxes_.clear();
        testing::writeFile(path_, document(musList(damage.music, {trackList(damage.track)})));
        EXPECT_TRUE(readRwm(durad, path_));
        const bool textOnly = std::string(damage.name) == "unterminated text";
        EXPECT_EQ(boxes_.texts(), textOnly ? std::vector<std::string>{} : std::vector<std::string>{kDamaged});
        EXPECT_EQ(listCount(durad.tracks->sources), damage.sources);
        EXPECT_EQ(listCount(durad.tracks->notes), damage.notes);
        EXPECT_EQ(listCount(durad.beats), damage.beats);
        EXPECT_EQ(listCount(durad.tempoPoints), damage.tempoPoints);
        EXPECT_NE(durad.tempoPoints->tempo, 0);
        EXPECT_NE(durad.beats->beats, 0);
        EXPECT_TRUE(testing::brokenInvariant(durad).empty()) << testing::brokenInvariant(durad);
    }
}

TEST_F(RwmFileTest, UnterminatedTextIsBoundedByItsChunk)
{
    ASSERT_TRUE(load(document(musList({}, {trackList({{"tnam", std::string("Pia")}})}))));
    EXPECT_EQ(durad_.tracks->name, "Pia");
}

TEST_F(RwmFileTest, AChildLargerThanItsParentIsCutAndReported)
{
    std::string bytes = standardDocument();
    // The track's note chunk claims far more than the file holds.
    const auto at = bytes.rfind("tnot");
    bytes.replace(at + 4, 4, le32(0x7FFFFFF0));
    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{kDamaged});
    EXPECT_EQ(listCount(durad_.tracks->notes), 1);
}

TEST_F(RwmFileTest, AFailedSaveKeepsTheOldFileAndTheDuradAsTheyWere)
{
    Durad durad(nullptr);
    fillEverything(durad);
    testing::writeFile(path_, "old document");
    durad.changed = 1;
    durad.filePath = "before.rwm";
    durad.modifiedDate = "before\n";

    FileWriter::failAfterBytes(100);
    EXPECT_FALSE(writeRwm(durad, path_));
    FileWriter::failAfterBytes(std::nullopt);
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Failed to write the file."});

    boxes_.clear();
    EXPECT_FALSE(writeRwm(durad, dir_.file("no such folder/song.rwm")));
    EXPECT_EQ(boxes_.texts(), std::vector<std::string>{"Failed to open the file."});

    EXPECT_EQ(testing::readFile(path_), "old document");
    EXPECT_EQ(durad.filePath, "before.rwm");
    EXPECT_EQ(durad.modifiedDate, "before\n");
    EXPECT_TRUE(isChanged(durad));
    const auto left = listFolder(dir_.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].name, "song.rwm");
}

} // namespace
} // namespace orlim
