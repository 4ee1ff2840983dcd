// Standard MIDI File import. The file is read into memory and walked with a cursor
// that never leaves its chunk; any event that would read past it ends the import
// with a message, keeping what was built so far.

#include "engine/formats/MidiImport.h"

#include "engine/formats/MidiPresetFile.h"
#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/model/List.h"
#include "engine/model/Timeline.h"
#include "platform/FileIO.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace orlim {
namespace {

constexpr const char* kOpenFailed = "Failed to open the file.";
constexpr const char* kNotMidi = "It's not a MID file!";
constexpr const char* kUnsupported = "Can't open the file in unsupported format!";
constexpr const char* kNoTrack = "Can't Find the track!";
constexpr const char* kCorrupted = "The file was corrupted!";

constexpr int kChannels = 16;
constexpr int kKeys = 128;
constexpr int kDrumChannel = 9;
constexpr std::size_t kHeaderSize = 14;
// The level that stands for silence where the logarithm has no finite value.
constexpr int kSilentLevel = -9600;
constexpr int kMaxDuration = 32767;
constexpr std::size_t kMaxPortamentoPoints = 1000;

// A failed step carries the message the user sees.
struct ImportError {
    const char* text;
};

std::uint32_t bigEndian(const std::uint8_t* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// 4000 × log10(ratio) mB, with the floor standing in for a ratio of 0 (the smallest
// other ratio, 1/127 of 1/127, gives -16830, which the 16-bit loudness still holds).
int levelOf(double ratio)
{
    if (ratio <= 0)
        return kSilentLevel;
    return static_cast<int>(4000.0 * std::log10(ratio));
}

std::int16_t clampDuration(double ticks)
{
    return static_cast<std::int16_t>(std::min<double>(ticks, kMaxDuration));
}

// Bytes of one chunk; every read is checked against the chunk's end.
class ChunkCursor {
public:
    ChunkCursor(const std::vector<std::uint8_t>& file, std::size_t at, std::size_t end)
        : file_(file), at_(at), end_(end)
    {
    }

    bool atEnd() const { return at_ >= end_; }
    void skipToEnd() { at_ = end_; }

    std::optional<std::uint8_t> byte()
    {
        if (at_ >= end_)
            return std::nullopt;
        return file_[at_++];
    }
    void stepBack() { --at_; }

    bool skip(std::uint64_t count)
    {
        if (count > end_ - at_)
            return false;
        at_ += static_cast<std::size_t>(count);
        return true;
    }

    // A variable-length quantity of at most four bytes.
    std::optional<std::uint32_t> quantity(const char*& failure)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto next = byte();
            if (!next) {
                failure = kCorrupted;
                return std::nullopt;
            }
            value = value << 7 | (*next & 0x7F);
            if (!(*next & 0x80))
                return value;
        }
        failure = kUnsupported;
        return std::nullopt;
    }

    std::optional<std::string> text(std::uint32_t length)
    {
        if (length > end_ - at_)
            return std::nullopt;
        std::string value(file_.begin() + static_cast<std::ptrdiff_t>(at_),
                          file_.begin() + static_cast<std::ptrdiff_t>(at_ + length));
        at_ += length;
        return value;
    }

private:
    const std::vector<std::uint8_t>& file_;
    std::size_t at_;
    std::size_t end_;
};

struct BendEvent {
    double time;
    int offset;
};

struct ChannelState {
    int bendSensitivity = 200;
    int volume = 127;
    bool drums = false;
    std::vector<BendEvent> bends;
};

class MidiImporter {
public:
    MidiImporter(Durad& durad, const std::vector<std::uint8_t>& file, std::string presetPath)
        : durad_(durad), file_(file), presetPath_(std::move(presetPath))
    {
    }

    std::optional<ImportError> run();

private:
    std::optional<ImportError> readChunk(int chunkIndex, std::size_t& at);
    std::optional<ImportError> event(ChunkCursor& cursor, int chunkIndex);
    std::optional<ImportError> channelMessage(ChunkCursor& cursor, std::uint8_t status);
    std::optional<ImportError> metaEvent(ChunkCursor& cursor);
    void controller(int channel, int number, int value);
    double convertDelta(std::uint32_t ticks);

    void noteOn(int key, int velocity);
    void noteOff(int key);
    void loudnessStep(int level);
    void panStep(int x);
    void endOpenNotes();
    void programChange(int channel, int program);
    void pitchBend(int channel, int value);
    void tempoEvent(std::uint32_t microseconds);
    void timeSignature(int numerator, int exponent);
    void keySignature(int sharps);

    void postProcess();
    void tidy();
    void thinTempo();

    Track* currentTrack() const { return trackAt(durad_, current_); }
    std::uint32_t tick() const { return static_cast<std::uint32_t>(time_); }

    Durad& durad_;
    const std::vector<std::uint8_t>& file_;
    std::string presetPath_;
    std::uint16_t format_ = 0;
    std::uint16_t division_ = 0;
    int current_ = -1;
    int runningStatus_ = -1;
    int rpnMsb_ = 0xFFFF;
    int rpnLsb_ = 0xFFFF;
    std::array<ChannelState, kChannels> channels_;
    double time_ = 0;

    // Notes arrive mostly in time order, chords in any order of pitch: each track's
    // search for a new note's place starts after the note added last, or after one
    // before that note's position, when it can; and each track and key keeps its open
    // notes by position. So neither a note on nor a note off walks the whole track.
    struct SearchHints {
        Note* last = nullptr;
        Note* beforeLastPosition = nullptr;
        // The loudness and pan points in force at the last step.
        LoudPoint* loudness = nullptr;
        PanoPoint* pan = nullptr;
    };
    static bool sortsBefore(const Note* hint, const Note& note)
    {
        return hint && (hint->position < note.position || (hint->position == note.position && hint->pitch < note.pitch));
    }
    // The open notes of one track and key, by position; those before `first` are
    // closed. Empty until the key first sounds, so an import allocates for what it uses.
    struct OpenNotes {
        std::vector<Note*> notes;
        std::size_t first = 0;

        bool empty() const { return first == notes.size(); }
        Note* front() const { return notes[first]; }
        void popFront()
        {
            if (++first == notes.size()) {
                notes.clear();
                first = 0;
            }
        }
        void insert(Note* note)
        {
            const auto from = notes.begin() + static_cast<std::ptrdiff_t>(first);
            notes.insert(std::upper_bound(from, notes.end(), note->position,
                                          [](std::uint32_t position, const Note* n) { return position < n->position; }),
                         note);
        }
        // Drops the notes closed meanwhile and restores the order of moved ones.
        void tidy()
        {
            notes.erase(notes.begin(), notes.begin() + static_cast<std::ptrdiff_t>(first));
            first = 0;
            std::erase_if(notes, [](const Note* note) { return note->duration != 0; });
            std::stable_sort(notes.begin(), notes.end(),
                             [](const Note* a, const Note* b) { return a->position < b->position; });
        }
    };
    OpenNotes& openNotes(int track, int key)
    {
        return openNotes_[static_cast<std::size_t>(track * kKeys + key)];
    }
    std::array<SearchHints, kChannels> hints_{};
    std::vector<OpenNotes> openNotes_ = std::vector<OpenNotes>(kChannels * kKeys);
};

std::optional<ImportError> MidiImporter::run()
{
    if (file_.size() < kHeaderSize)
        return ImportError{kCorrupted};
    format_ = static_cast<std::uint16_t>(bigEndian(file_.data() + 8, 2));
    const std::uint16_t tracks = static_cast<std::uint16_t>(bigEndian(file_.data() + 10, 2));
    division_ = static_cast<std::uint16_t>(bigEndian(file_.data() + 12, 2));

    clearDurad(durad_);
    {
        ListAppender<Track> appender(durad_.tracks);
        for (int i = trackCount(durad_); i < kChannels; ++i)
            appender.add(new Track);
    }
    while (trackCount(durad_) > std::max<int>(tracks, 1)) {
        Track* first = durad_.tracks;
        durad_.tracks = first->next;
        delete first;
    }

    std::size_t at = kHeaderSize;
    for (int chunk = 0; chunk < tracks; ++chunk)
        if (auto error = readChunk(format_ == 1 ? chunk : -1, at))
            return error;

    postProcess();
    tidy();
    return std::nullopt;
}

std::optional<ImportError> MidiImporter::readChunk(int chunkIndex, std::size_t& at)
{
    if (file_.size() - at < 8 || bigEndian(file_.data() + at, 4) != 0x4D54726B) // "MTrk"
        return ImportError{kNoTrack};
    const std::uint64_t length = bigEndian(file_.data() + at + 4, 4);
    const std::size_t start = at + 8;
    // A chunk that claims more than the file holds is read as far as the file goes,
    // keeping its events, and then reported as corruption.
    const std::size_t end = static_cast<std::size_t>(std::min<std::uint64_t>(start + length, file_.size()));
    const bool cutShort = end < start + length;
    at = end;

    ChunkCursor cursor(file_, start, end);
    time_ = 0;
    while (!cursor.atEnd()) {
        const char* failure = kUnsupported;
        const auto delta = cursor.quantity(failure);
        if (!delta)
            return ImportError{kUnsupported};
        time_ += convertDelta(*delta);
        if (time_ >= 4294967296.0)
            return ImportError{kCorrupted};
        if (auto error = event(cursor, chunkIndex))
            return error;
    }
    if (cutShort)
        return ImportError{kCorrupted};
    return std::nullopt;
}

double MidiImporter::convertDelta(std::uint32_t ticks)
{
    if (division_ == 0)
        return 0;
    if (!(division_ & 0x8000))
        return ticks * 32.0 / division_;
    const int framesPerSecond = -static_cast<std::int8_t>(division_ >> 8);
    const int ticksPerFrame = division_ & 0xFF;
    if (ticksPerFrame == 0 || framesPerSecond <= 0)
        return 0;
    const double seconds = static_cast<double>(ticks) / ticksPerFrame / framesPerSecond;
    // The tempo in force where the music has got to.
    const double tempo = tempoInForce(durad_, tick())->tempo;
    return seconds / 60.0 * tempo;
}

std::optional<ImportError> MidiImporter::event(ChunkCursor& cursor, int chunkIndex)
{
    if (chunkIndex < 1)
        current_ = -1;
    const auto first = cursor.byte();
    if (!first)
        return ImportError{kCorrupted};
    std::uint8_t status = *first;
    if (status < 0x80) {
        if (runningStatus_ < 0x80 || runningStatus_ > 0xEF)
            return ImportError{kCorrupted};
        status = static_cast<std::uint8_t>(runningStatus_);
        cursor.stepBack();
    }
    runningStatus_ = status;

    if (status <= 0xEF)
        return channelMessage(cursor, status);
    if (status == 0xFF)
        return metaEvent(cursor);
    if (status == 0xF0 || status == 0xF7) {
        const char* failure = kCorrupted;
        const auto length = cursor.quantity(failure);
        if (!length)
            return ImportError{failure};
        if (!cursor.skip(*length))
            return ImportError{kCorrupted};
    }
    return std::nullopt;
}

std::optional<ImportError> MidiImporter::channelMessage(ChunkCursor& cursor, std::uint8_t status)
{
    const int channel = status & 0x0F;
    const int kind = status & 0xF0;
    const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    int data[2] = {0, 0};
    for (int i = 0; i < dataBytes; ++i) {
        const auto value = cursor.byte();
        if (!value || *value >= 0x80)
            return ImportError{kCorrupted};
        data[i] = *value;
    }

    current_ = channel;
    if (trackCount(durad_) <= channel) {
        ListAppender<Track> appender(durad_.tracks);
        while (trackCount(durad_) <= channel)
            appender.add(new Track);
    }

    switch (kind) {
    case 0x90:
        if (data[1] > 0)
            noteOn(data[0], data[1]);
        else
            noteOff(data[0]);
        break;
    case 0x80:
        noteOff(data[0]);
        break;
    case 0xB0:
        controller(channel, data[0], data[1]);
        break;
    case 0xC0:
        programChange(channel, data[0]);
        break;
    case 0xE0:
        pitchBend(channel, data[1] * 128 + data[0]);
        break;
    default:
        break;
    }
    return std::nullopt;
}

void MidiImporter::noteOn(int key, int velocity)
{
    Track* track = currentTrack();
    if (!track)
        return;
    auto* note = new Note;
    note->position = tick();
    note->delay = static_cast<std::uint8_t>((time_ - tick()) * 240);
    note->pitch = static_cast<std::int8_t>(key);
    note->loudness = static_cast<std::int16_t>(levelOf(velocity / 127.0));
    note->duration = 0;
    SearchHints& hints = hints_[static_cast<std::size_t>(current_)];
    Note** from = &track->notes;
    if (sortsBefore(hints.last, *note))
        from = &hints.last->next;
    else if (sortsBefore(hints.beforeLastPosition, *note))
        from = &hints.beforeLastPosition->next;
    if (!linkNoteFrom(*track, note, from))
        return;
    durad_.changed = 1;
    if (hints.last && hints.last->position < note->position)
        hints.beforeLastPosition = hints.last;
    else if (!sortsBefore(hints.beforeLastPosition, *note))
        hints.beforeLastPosition = nullptr;
    hints.last = note;
    openNotes(current_, key).insert(note);
}

void MidiImporter::noteOff(int key)
{
    if (!currentTrack())
        return;
    OpenNotes& open = openNotes(current_, key);
    if (open.empty() || open.front()->position >= time_)
        return;
    Note* note = open.front();
    note->duration = clampDuration(time_ - (note->position + note->delay / 240.0));
    if (note->duration != 0)
        open.popFront();
}

void MidiImporter::controller(int channel, int number, int value)
{
    ChannelState& state = channels_[static_cast<std::size_t>(channel)];
    const bool bendRange = rpnMsb_ == 0 && rpnLsb_ == 0;
    switch (number) {
    case 6:
        if (bendRange)
            state.bendSensitivity = value * 100 + state.bendSensitivity % 100;
        break;
    case 38:
        if (bendRange)
            state.bendSensitivity = state.bendSensitivity / 100 * 100 + value;
        break;
    case 100:
        rpnLsb_ = value;
        break;
    case 101:
        rpnMsb_ = value;
        break;
    case 7:
        state.volume = value;
        loudnessStep(levelOf(value / 127.0));
        break;
    case 11:
        loudnessStep(levelOf(value / 127.0 * state.volume / 127.0));
        break;
    case 8:
    case 10:
        panStep(static_cast<int>(value / 127.0 * 60000 - 30000));
        break;
    default:
        if (number >= 120 && number <= 126 && value == 0)
            endOpenNotes();
        break;
    }
}

namespace {

// A point after the one in force, as the insertion of points places it; none at 0 or
// where the point in force already lies.
template <class Point>
Point* addAfter(Point*& head, Point* inForce, Point values)
{
    if (values.position == 0 || values.position == inForce->position)
        return nullptr;
    auto* point = new Point(values);
    insertAfter(head, inForce, point);
    return point;
}

} // namespace

void MidiImporter::loudnessStep(int level)
{
    Track* track = currentTrack();
    if (!track)
        return;
    const std::uint32_t k = tick();
    LoudPoint*& hint = hints_[static_cast<std::size_t>(current_)].loudness;
    LoudPoint* inForce = hint && hint->position <= k ? lastAtOrBefore(hint, k) : loudInForce(*track, k);
    if (k - inForce->position > 32)
        if (LoudPoint* held = addAfter(track->loudPoints, inForce, LoudPoint{k - 1, inForce->loudness, nullptr}))
            inForce = held;
    if (inForce->position == k)
        inForce->loudness = static_cast<std::int16_t>(level);
    else if (LoudPoint* step = addAfter(track->loudPoints, inForce, LoudPoint{k, static_cast<std::int16_t>(level), nullptr}))
        inForce = step;
    hint = inForce;
}

void MidiImporter::panStep(int x)
{
    Track* track = currentTrack();
    if (!track)
        return;
    const std::uint32_t k = tick();
    PanoPoint*& hint = hints_[static_cast<std::size_t>(current_)].pan;
    PanoPoint* inForce = hint && hint->position <= k ? lastAtOrBefore(hint, k) : panoInForce(*track, k);
    if (time_ - inForce->position > 64)
        if (PanoPoint* held = addAfter(track->panoPoints, inForce, PanoPoint{k - 1, inForce->x, 0, 0, nullptr}))
            inForce = held;
    if (inForce->position == k)
        inForce->x = static_cast<std::int16_t>(x);
    else if (PanoPoint* step = addAfter(track->panoPoints, inForce, PanoPoint{k, static_cast<std::int16_t>(x), 0, 0, nullptr}))
        inForce = step;
    hint = inForce;
}

void MidiImporter::endOpenNotes()
{
    static constexpr std::pair<int, int> kRounded[] = {{5, 4},   {7, 8},   {9, 8},   {11, 12},
                                                       {13, 12}, {15, 16}, {17, 16}, {23, 24},
                                                       {25, 24}, {31, 32}, {33, 32}};
    for (Track* track = durad_.tracks; track; track = track->next) {
        for (Note* note = track->notes; note && note->position < time_; note = note->next) {
            if (note->duration == 0) {
                const double sounding = time_ - (note->position + note->delay / 240.0);
                note->duration = clampDuration(sounding);
                note->legato = 1000;
                for (const auto& [from, to] : kRounded) {
                    if (note->duration == from) {
                        note->duration = static_cast<std::int16_t>(to);
                        note->legato = static_cast<std::int16_t>(sounding / to * 1000);
                        break;
                    }
                }
                if (note->delay > 235) {
                    note->delay = 0;
                    ++note->position;
                }
            }
            if (note->delay < 6)
                note->delay = 0;
        }
        // Positions may have moved; the next normalization restores the order.
        track->noteCursor = nullptr;
    }
    for (OpenNotes& open : openNotes_)
        open.tidy();
}

void MidiImporter::programChange(int channel, int program)
{
    if (channel == kDrumChannel) {
        program = kDrumSlot;
        channels_[kDrumChannel].drums = true;
    }
    if (const auto record = lookUpPresetRecord(presetPath_, program))
        insertSource(durad_, current_, record->data());
}

void MidiImporter::pitchBend(int channel, int value)
{
    ChannelState& state = channels_[static_cast<std::size_t>(channel)];
    const int offset = static_cast<int>((value - 8192) / 16383.0 * 2 * state.bendSensitivity);
    const int last = state.bends.empty() ? 0 : state.bends.back().offset;
    if (offset != last)
        state.bends.push_back({time_, offset});
}

std::optional<ImportError> MidiImporter::metaEvent(ChunkCursor& cursor)
{
    const auto type = cursor.byte();
    if (!type)
        return ImportError{kCorrupted};
    const char* failure = kCorrupted;
    const auto length = cursor.quantity(failure);
    if (!length)
        return ImportError{failure};
    const auto body = cursor.text(*length);
    if (!body)
        return ImportError{kCorrupted};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(body->data());
    // Events addressed to a track that does not exist are dropped.
    Track* track = currentTrack();
    const bool music = current_ < 0;

    switch (*type) {
    case 0x01:
        if (music)
            durad_.comment += *body + "\r\n";
        else if (track)
            track->comment += *body + "\r\n";
        break;
    case 0x02:
        durad_.copyright = *body;
        break;
    case 0x03:
        if (music)
            durad_.name = *body;
        else if (track)
            track->name = *body;
        break;
    case 0x04:
        if (track)
            track->comment = *body + track->comment;
        break;
    case 0x20:
        if (*length == 1)
            current_ = bytes[0];
        break;
    case 0x2F:
        ++current_;
        cursor.skipToEnd();
        break;
    case 0x51:
        if (*length == 3)
            tempoEvent(bigEndian(bytes, 3));
        break;
    case 0x58:
        if (*length == 4)
            timeSignature(bytes[0], bytes[1]);
        break;
    case 0x59:
        if (*length == 2)
            keySignature(static_cast<std::int8_t>(bytes[0]));
        break;
    default:
        break;
    }
    return std::nullopt;
}

void MidiImporter::tempoEvent(std::uint32_t microseconds)
{
    const std::uint32_t quarter = microseconds / 32;
    if (quarter == 0)
        return;
    const int tempo = static_cast<int>(std::min(6e7 / quarter, 65535.0));
    if (time_ < 1) {
        durad_.tempoPoints->tempo = static_cast<std::uint16_t>(tempo);
        return;
    }
    const std::uint32_t k = tick();
    const TempoPoint* inForce = tempoInForce(durad_, k);
    if (time_ - inForce->position > 16)
        insertTempo(durad_, k - 1, inForce->tempo);
    insertTempo(durad_, k, tempo);
}

void MidiImporter::timeSignature(int numerator, int exponent)
{
    // A measure of no length cannot be stored.
    if (numerator == 0 || exponent > 7)
        return;
    const int beatTicks = 128 >> exponent;
    if (time_ < 1) {
        durad_.beats->beats = static_cast<std::uint8_t>(numerator);
        durad_.beats->beatTicks = static_cast<std::uint8_t>(beatTicks);
        return;
    }
    insertBeat(durad_, tick(), numerator, beatTicks);
}

void MidiImporter::keySignature(int sharps)
{
    if (sharps < -7 || sharps > 7)
        return;
    Track* track = currentTrack();
    if (!track)
        return;
    if (time_ < 1)
        clefInForce(*track, 0)->key = static_cast<std::int8_t>(sharps);
    else
        insertClef(durad_, current_, tick(), 0, sharps);
}

void MidiImporter::postProcess()
{
    int index = 0;
    for (Track* track = durad_.tracks; track && index < kChannels; track = track->next, ++index) {
        ChannelState& state = channels_[static_cast<std::size_t>(index)];
        if (state.drums)
            for (Note* note = track->notes; note; note = note->next)
                if (note->duration > 64 || note->duration == 0)
                    note->duration = 32;

        if (state.bends.empty())
            continue;
        std::stable_sort(state.bends.begin(), state.bends.end(),
                         [](const BendEvent& a, const BendEvent& b) { return a.time < b.time; });
        for (Note* note = track->notes; note; note = note->next) {
            const double start = note->position + note->delay / 240.0;
            const double sounding = note->legato / 1000.0 * note->duration;
            if (sounding <= 0)
                continue;
            std::vector<CurvePoint> points(note->portamento, note->portamento + std::max<int>(note->portamentoCount, 0));
            auto bend = std::lower_bound(state.bends.begin(), state.bends.end(), start,
                                         [](const BendEvent& e, double t) { return e.time < t; });
            for (; bend != state.bends.end() && bend->time <= start + sounding; ++bend) {
                if (points.size() > kMaxPortamentoPoints)
                    break;
                const auto x = static_cast<std::int16_t>((bend->time - start) / sounding * 1000);
                if (points.empty() && bend != state.bends.begin())
                    points.push_back({0, static_cast<std::int16_t>((bend - 1)->offset)});
                points.push_back({x, static_cast<std::int16_t>(bend->offset)});
            }
            setPortamento(*note, points.data(), static_cast<int>(points.size()));
        }
    }
}

bool isNudgedTick(int tick)
{
    return tick == 1 || tick == 5 || tick == 9 || tick == 17 || tick == 33 || tick == 65;
}

bool isRoundedDuration(int duration)
{
    return duration == 3 || duration == 7 || duration == 15 || duration == 31 || duration == 63 ||
           duration == 127;
}

// Splits a jump in loudness that would click at the note's start into a step just
// before the note. `inForce` is the loudness point in force at the note.
void smoothLoudnessJump(Track& track, Note& note, LoudPoint* inForce)
{
    for (LoudPoint* point = inForce;
         point && point->next && point->position <= note.position + 4; point = point->next) {
        LoudPoint* next = point->next;
        if (next->position <= point->position)
            continue;
        const double slope = std::abs(next->loudness - point->loudness) /
                             static_cast<double>(next->position - point->position);
        if (slope <= 500)
            continue;
        if (note.position == 0)
            return;
        if (point == track.loudPoints) {
            // The first point stays at 0; a copy of it takes its place before the note.
            auto* copy = new LoudPoint{note.position - 1, point->loudness, nullptr};
            insertAfter(track.loudPoints, point, copy);
        } else {
            point->position = note.position - 1;
        }
        next->position = note.position;
        return;
    }
}

void MidiImporter::tidy()
{
    Track** link = &durad_.tracks;
    while (*link) {
        Track& track = **link;
        if (!track.notes) {
            if (trackCount(durad_) > 1) {
                Track* gone = *link;
                *link = gone->next;
                delete gone;
                continue;
            }
            link = &track.next;
            continue;
        }
        int low = 0;
        int high = 0;
        for (const Note* note = track.notes; note; note = note->next) {
            low += note->pitch < 60;
            high += note->pitch > 60;
        }
        for (Clef* clef = track.clefs; clef; clef = clef->next)
            clef->clef = low >= high ? 1 : 0;
        track.changed = 0;

        for (Note* note = track.notes; note; note = note->next) {
            MBT place{};
            fillMBT(durad_, note->position, place);
            if (note->delay > 220) {
                note->delay = 0;
                ++note->position;
            } else if (note->delay < 20) {
                note->delay = 0;
            }
            if (note->delay == 0 && isNudgedTick(place.tick) && note->position > 0) {
                --note->position;
                note->delay = 239;
            }
            if (isRoundedDuration(note->duration)) {
                const int old = note->duration;
                note->duration = static_cast<std::int16_t>(old + 1);
                note->legato = static_cast<std::int16_t>(static_cast<double>(old) / note->duration * 1000);
            }
        }
        track.noteCursor = nullptr;
        // Notes come in order, so the point in force moves forward from the last one,
        // whose path from the first point later notes share.
        LoudPoint* inForce = nullptr;
        std::uint32_t inForceAt = 0;
        for (Note* note = track.notes; note; note = note->next) {
            inForce = inForce && inForceAt <= note->position ? lastAtOrBefore(inForce, note->position)
                                                              : loudInForce(track, note->position);
            inForceAt = note->position;
            smoothLoudnessJump(track, *note, inForce);
        }
        link = &track.next;
    }
    thinTempo();
    normalizeAll(durad_);
}

void MidiImporter::thinTempo()
{
    TempoPoint* before = durad_.tempoPoints;
    while (before && before->next && before->next->next) {
        TempoPoint* point = before->next;
        const TempoPoint* after = point->next;
        const double span = static_cast<double>(after->position) - before->position;
        const double offset = static_cast<double>(point->position) - before->position;
        const double line = span > 0 ? before->tempo + (after->tempo - before->tempo) * offset / span : before->tempo;
        if (offset < 8 && std::abs(line - point->tempo) < 8) {
            removeAt(&before->next);
            durad_.tempoCursor = nullptr;
            continue;
        }
        before = point;
    }
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    FileReader file;
    if (!file.open(path))
        return false;
    bytes.resize(static_cast<std::size_t>(file.size()));
    bytes.resize(file.read(bytes.data(), bytes.size()));
    return true;
}

} // namespace

bool importMidi(Durad& durad, const std::string& path, const std::string& presetPath)
{
    std::vector<std::uint8_t> file;
    if (!readWholeFile(path, file)) {
        messageBox(durad.notifyWindow, kOpenFailed);
        return false;
    }
    return importMidi(durad, file, path, presetPath);
}

bool importMidi(Durad& durad, const std::vector<std::uint8_t>& file, const std::string& path,
                const std::string& presetPath)
{
    if (file.size() < 4 || bigEndian(file.data(), 4) != 0x4D546864) { // "MThd"
        messageBox(durad.notifyWindow, kNotMidi);
        return false;
    }
    if (file.size() < 10) {
        messageBox(durad.notifyWindow, kCorrupted);
        return false;
    }
    const std::uint32_t format = bigEndian(file.data() + 8, 2);
    if (format > 1) {
        messageBox(durad.notifyWindow, kUnsupported);
        return false;
    }

    setNotifyEnabled(durad, false);
    MidiImporter importer(durad, file, installedFilePath(presetPath));
    const auto error = importer.run();
    setNotifyEnabled(durad, true);
    if (error) {
        messageBox(durad.notifyWindow, error->text);
        return false;
    }
    clearChanged(durad);
    durad.level = -500;
    durad.filePath = path;
    notifyLoaded(durad);
    return true;
}

} // namespace orlim
