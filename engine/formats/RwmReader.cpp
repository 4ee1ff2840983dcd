// Reading an .rwm document into a Durad. Every read stays inside its chunk; a record
// that does not fit ends the reading of its chunk, and the load goes on with what was
// read (the user is told once that the file is damaged).

#include "engine/formats/RwmFile.h"
#include "engine/formats/RwmLayout.h"

#include "engine/model/Durad.h"
#include "engine/model/List.h"
#include "platform/MessageBox.h"
#include "platform/Riff.h"
#include "plugin-api/Record.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace orlim {
namespace {

constexpr const char* kDamagedText = "The file is damaged: some of its records could not be read.";

// A failed step carries the message the user sees.
struct ReadError {
    const char* text;
};

class DocumentReader {
public:
    DocumentReader(Durad& durad, RiffReader& riff) : durad_(durad), riff_(riff) {}

    // Steps after the Durad was cleared; a message means the load failed there.
    std::optional<ReadError> readForm(const RiffChunk& form);
    bool damaged() const { return damaged_ || riff_.damage() > 0; }

private:
    void readInfo(const RiffChunk& form);
    std::optional<ReadError> readMusic(const RiffChunk& music);
    std::optional<ReadError> readTrack(const RiffChunk& list, Track& track);

    // The chunk's data, cut to what the file holds.
    std::vector<std::uint8_t> chunkBytes(const RiffChunk& chunk);
    // Finds `id` searching from the start of `parent`'s data and reads its bytes.
    std::optional<std::vector<std::uint8_t>> findFromStart(const RiffChunk& parent, std::uint32_t id);

    void readBeats(const std::vector<std::uint8_t>& bytes);
    void readTempo(const std::vector<std::uint8_t>& bytes);
    void readSources(const std::vector<std::uint8_t>& bytes, Track& track);
    void readEffects(const std::vector<std::uint8_t>& bytes, Track& track);
    void readClefs(const std::vector<std::uint8_t>& bytes, Track& track);
    void readLoudPoints(const std::vector<std::uint8_t>& bytes, Track& track);
    void readPanoPoints(const std::vector<std::uint8_t>& bytes, Track& track);
    void readNotes(const std::vector<std::uint8_t>& bytes, Track& track);

    // Counts the bytes of a fixed-size record list that do not make a whole record.
    void noteTrailingBytes(std::size_t size, std::size_t recordSize)
    {
        if (size % recordSize != 0)
            damaged_ = true;
    }

    template <class Node>
    void readEntries(const std::vector<std::uint8_t>& bytes, Node*& head);

    Durad& durad_;
    RiffReader& riff_;
    bool damaged_ = false;
};

std::uint64_t listDataStart(const RiffChunk& list)
{
    return list.dataOffset + 4;
}

std::string textOf(const std::vector<std::uint8_t>& bytes)
{
    const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

std::vector<std::uint8_t> DocumentReader::chunkBytes(const RiffChunk& chunk)
{
    std::vector<std::uint8_t> bytes(chunk.size);
    riff_.seek(chunk.dataOffset);
    bytes.resize(riff_.read(bytes.data(), bytes.size()));
    if (bytes.size() < chunk.size)
        damaged_ = true;
    return bytes;
}

std::optional<std::vector<std::uint8_t>> DocumentReader::findFromStart(const RiffChunk& parent,
                                                                      std::uint32_t id)
{
    riff_.seek(listDataStart(parent));
    RiffChunk chunk;
    if (!riff_.descend(chunk, &parent, id))
        return std::nullopt;
    return chunkBytes(chunk);
}

std::optional<ReadError> DocumentReader::readForm(const RiffChunk& form)
{
    riff_.seek(listDataStart(form));
    RiffChunk version;
    if (!riff_.descend(version, &form, rwm::kVersion))
        return ReadError{"Can't find the IVER chunk!"};

    readInfo(form);

    riff_.seek(listDataStart(form));
    RiffChunk music;
    if (!riff_.descendList(music, &form, rwm::kMusic))
        return ReadError{"Can't find the MUS chunk!"};
    return readMusic(music);
}

void DocumentReader::readInfo(const RiffChunk& form)
{
    riff_.seek(listDataStart(form));
    RiffChunk info;
    if (!riff_.descendList(info, &form, rwm::kInfo))
        return;
    std::string* texts[] = {&durad_.name,      &durad_.createdDate, &durad_.modifiedDate,
                            &durad_.author,    &durad_.executant,   &durad_.copyright,
                            &durad_.comment};
    // Each text is searched after the one found before it, so texts stored out of
    // order are missed; a missing one does not move the search on.
    std::uint64_t searchFrom = listDataStart(info);
    for (std::size_t i = 0; i < std::size(rwm::kInfoTexts); ++i) {
        riff_.seek(searchFrom);
        RiffChunk text;
        if (!riff_.descend(text, &info, rwm::kInfoTexts[i]))
            continue;
        *texts[i] = textOf(chunkBytes(text));
        searchFrom = std::min<std::uint64_t>(text.end() + (text.size & 1), info.end());
    }
}

std::optional<ReadError> DocumentReader::readMusic(const RiffChunk& music)
{
    const auto level = findFromStart(music, rwm::kLevel);
    if (!level)
        return ReadError{"Can't find the MLEV chunk!"};
    if (level->size() >= 2)
        durad_.level = readField<std::int16_t>(level->data(), 0);
    else
        damaged_ = true;

    const auto beats = findFromStart(music, rwm::kBeats);
    if (!beats)
        return ReadError{"Can't find the MBT chunk!"};
    readBeats(*beats);

    const auto tempo = findFromStart(music, rwm::kTempo);
    if (!tempo)
        return ReadError{"Can't find the MTEM chunk!"};
    readTempo(*tempo);

    const auto count = findFromStart(music, rwm::kTrackCount);
    if (!count)
        return ReadError{"Can't find the MTCN chunk!"};
    std::uint32_t announced = 0;
    if (count->size() >= 4)
        announced = readField<std::uint32_t>(count->data(), 0);
    else
        damaged_ = true;

    riff_.seek(listDataStart(music));
    ListAppender<Track> tracks(durad_.tracks);
    Track* track = durad_.tracks;
    for (std::uint32_t index = 0; index < announced; ++index) {
        if (index > 0)
            track = tracks.add(new Track);
        RiffChunk list;
        if (!riff_.descendList(list, &music, rwm::kTrack))
            return ReadError{"Can't find the mtrk chunk!"};
        if (auto error = readTrack(list, *track))
            return error;
        // A list cut short by the file's end has no pad byte after it.
        const std::uint64_t next = list.end() + (list.size & 1);
        if (next >= music.end())
            break;
        riff_.seek(next);
    }
    return std::nullopt;
}

std::optional<ReadError> DocumentReader::readTrack(const RiffChunk& list, Track& track)
{
    if (const auto name = findFromStart(list, rwm::kTrackName))
        track.name = textOf(*name);
    if (const auto comment = findFromStart(list, rwm::kTrackComment))
        track.comment = textOf(*comment);

    struct Required {
        std::uint32_t id;
        const char* missing;
        void (DocumentReader::*read)(const std::vector<std::uint8_t>&, Track&);
    };
    static constexpr Required kRequired[] = {
        {rwm::kSources, "Can't find TSRC chunk!", &DocumentReader::readSources},
        {rwm::kEffects, "Can't find TEFF chunk!", &DocumentReader::readEffects},
        {rwm::kClefs, "Can't find TCLF chunk!", &DocumentReader::readClefs},
        {rwm::kLoudPoints, "Can't find TLOU chunk!", &DocumentReader::readLoudPoints},
        {rwm::kPanoPoints, "Can't find TPAN chunk!", &DocumentReader::readPanoPoints},
        {rwm::kNotes, "Can't find TNOT chunk!", &DocumentReader::readNotes},
    };
    for (const Required& chunk : kRequired) {
        const auto bytes = findFromStart(list, chunk.id);
        if (!bytes)
            return ReadError{chunk.missing};
        (this->*chunk.read)(*bytes, track);
    }
    // Every lookup must find an entry at 0, also in a file whose lists start later.
    ensurePermanentFirstEntries(track);
    return std::nullopt;
}

void DocumentReader::readBeats(const std::vector<std::uint8_t>& bytes)
{
    FirstThenAppend<Beat> beats(durad_.beats);
    noteTrailingBytes(bytes.size(), rwm::kBeatSize);
    for (std::size_t at = 0; at + rwm::kBeatSize <= bytes.size(); at += rwm::kBeatSize) {
        Beat beat;
        beat.position = readField<std::uint32_t>(bytes.data(), at);
        beat.beats = bytes[at + 4];
        beat.beatTicks = bytes[at + 5];
        // A measure of no length would stop every measure computation.
        if (beat.beats == 0 || beat.beatTicks == 0) {
            damaged_ = true;
            beats.skip();
            continue;
        }
        beats.add(beat);
    }
}

void DocumentReader::readTempo(const std::vector<std::uint8_t>& bytes)
{
    FirstThenAppend<TempoPoint> points(durad_.tempoPoints);
    noteTrailingBytes(bytes.size(), rwm::kTempoSize);
    for (std::size_t at = 0; at + rwm::kTempoSize <= bytes.size(); at += rwm::kTempoSize) {
        TempoPoint point;
        point.position = readField<std::uint32_t>(bytes.data(), at);
        point.tempo = readField<std::uint16_t>(bytes.data(), at + 4);
        // Time runs at no speed under tempo 0.
        if (point.tempo == 0) {
            damaged_ = true;
            points.skip();
            continue;
        }
        points.add(point);
    }
}

template <class Node>
void DocumentReader::readEntries(const std::vector<std::uint8_t>& bytes, Node*& head)
{
    ListAppender<Node> entries(head);
    std::size_t at = 0;
    while (at < bytes.size()) {
        // An entry must hold the common head and lie inside the chunk.
        if (bytes.size() - at < 2) {
            damaged_ = true;
            return;
        }
        const std::uint16_t length = readField<std::uint16_t>(bytes.data(), at);
        if (length < EntryBlock::kMinimumLength || length > bytes.size() - at) {
            damaged_ = true;
            return;
        }
        entries.add(new Node(EntryBlock(bytes.data() + at, length)));
        at += length;
    }
}

void DocumentReader::readSources(const std::vector<std::uint8_t>& bytes, Track& track)
{
    readEntries(bytes, track.sources);
}

void DocumentReader::readEffects(const std::vector<std::uint8_t>& bytes, Track& track)
{
    readEntries(bytes, track.effects);
}

void DocumentReader::readClefs(const std::vector<std::uint8_t>& bytes, Track& track)
{
    FirstThenAppend<Clef> clefs(track.clefs);
    noteTrailingBytes(bytes.size(), rwm::kClefSize);
    for (std::size_t at = 0; at + rwm::kClefSize <= bytes.size(); at += rwm::kClefSize) {
        Clef clef;
        clef.position = readField<std::uint32_t>(bytes.data(), at);
        clef.key = static_cast<std::int8_t>(std::clamp<int>(static_cast<std::int8_t>(bytes[at + 4]), -7, 7));
        clef.clef = bytes[at + 5] & 0x0F;
        clefs.add(clef);
    }
}

void DocumentReader::readLoudPoints(const std::vector<std::uint8_t>& bytes, Track& track)
{
    FirstThenAppend<LoudPoint> points(track.loudPoints);
    noteTrailingBytes(bytes.size(), rwm::kLoudSize);
    for (std::size_t at = 0; at + rwm::kLoudSize <= bytes.size(); at += rwm::kLoudSize) {
        LoudPoint point;
        point.position = readField<std::uint32_t>(bytes.data(), at);
        point.loudness = readField<std::int16_t>(bytes.data(), at + 4);
        points.add(point);
    }
}

void DocumentReader::readPanoPoints(const std::vector<std::uint8_t>& bytes, Track& track)
{
    FirstThenAppend<PanoPoint> points(track.panoPoints);
    noteTrailingBytes(bytes.size(), rwm::kPanoSize);
    for (std::size_t at = 0; at + rwm::kPanoSize <= bytes.size(); at += rwm::kPanoSize) {
        PanoPoint point;
        point.position = readField<std::uint32_t>(bytes.data(), at);
        point.x = readField<std::int16_t>(bytes.data(), at + 4);
        point.y = readField<std::int16_t>(bytes.data(), at + 6);
        point.z = readField<std::int16_t>(bytes.data(), at + 8);
        points.add(point);
    }
}

std::vector<CurvePoint> curveAt(const std::vector<std::uint8_t>& bytes, std::size_t at, int count)
{
    std::vector<CurvePoint> points(static_cast<std::size_t>(count));
    for (auto& point : points) {
        point.x = readField<std::int16_t>(bytes.data(), at);
        point.y = readField<std::int16_t>(bytes.data(), at + 2);
        at += rwm::kCurvePointSize;
    }
    return points;
}

void DocumentReader::readNotes(const std::vector<std::uint8_t>& bytes, Track& track)
{
    ListAppender<Note> notes(track.notes);
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < rwm::kNoteHeaderSize) {
            damaged_ = true;
            return;
        }
        const std::uint8_t* header = bytes.data() + at;
        // A negative point count means no points.
        const int portamento = std::max<int>(readField<std::int16_t>(header, 16), 0);
        const int expression = std::max<int>(readField<std::int16_t>(header, 18), 0);
        const std::size_t size =
            rwm::kNoteHeaderSize + rwm::kCurvePointSize * static_cast<std::size_t>(portamento + expression);
        if (size > bytes.size() - at) {
            damaged_ = true;
            return;
        }
        const std::int8_t pitch = readField<std::int8_t>(header, 5);
        if (pitch < 0) {
            // No pitch below 0 can be shown or played; skip the note, keep the rest.
            damaged_ = true;
            at += size;
            continue;
        }
        auto note = std::make_unique<Note>();
        note->position = readField<std::uint32_t>(header, 0);
        note->delay = header[4];
        note->pitch = pitch;
        note->tune = readField<std::int8_t>(header, 6);
        note->string = header[7];
        note->loudness = readField<std::int16_t>(header, 8);
        note->duration = readField<std::int16_t>(header, 10);
        note->legato = readField<std::int16_t>(header, 12);
        note->reserved = readField<std::int16_t>(header, 14);
        const std::size_t curves = at + rwm::kNoteHeaderSize;
        const auto portamentoPoints = curveAt(bytes, curves, portamento);
        const auto expressionPoints = curveAt(bytes, curves + rwm::kCurvePointSize * portamento, expression);
        setPortamento(*note, portamentoPoints.data(), portamento);
        setExpression(*note, expressionPoints.data(), expression);
        notes.add(note.release());
        at += size;
    }
}

} // namespace

bool readRwm(Durad& durad, const std::string& path)
{
    RiffReader riff;
    if (!riff.open(path)) {
        messageBox(durad.notifyWindow, "Failed to open the file.");
        return false;
    }
    return readRwm(durad, riff, path);
}

bool readRwm(Durad& durad, RiffReader& riff, const std::string& path)
{
    char magic[4] = {};
    riff.seek(0);
    if (riff.read(magic, 4) != 4 || readField<std::uint32_t>(magic, 0) != kRiffId) {
        messageBox(durad.notifyWindow, "It's not a RIFF file!");
        return false;
    }
    riff.seek(0);
    RiffChunk form;
    if (!riff.descendRiff(form, nullptr, rwm::kForm)) {
        messageBox(durad.notifyWindow, "Can't find the WBMR chunk!");
        return false;
    }

    clearDurad(durad);
    DocumentReader reader(durad, riff);
    if (const auto error = reader.readForm(form)) {
        // The editor goes on with what was read: its views look up a clef at 0.
        for (Track* track = durad.tracks; track; track = track->next)
            ensureFirstEntriesAtHead(*track);
        messageBox(durad.notifyWindow, error->text);
        return false;
    }
    riff.close();

    clearChanged(durad);
    normalizeAll(durad);
    durad.filePath = path;
    clearChanged(durad);
    notifyLoaded(durad);
    if (reader.damaged())
        messageBox(durad.notifyWindow, kDamagedText);
    return true;
}

} // namespace orlim
