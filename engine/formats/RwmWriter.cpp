// Writing a Durad as an .rwm document.

#include "engine/formats/RwmFile.h"
#include "engine/formats/RwmLayout.h"

#include "engine/model/Durad.h"
#include "platform/DateText.h"
#include "platform/MessageBox.h"
#include "platform/Riff.h"
#include "plugin-api/Record.h"

#include <vector>

namespace orlim {
namespace {

// The bytes of one chunk, built field by field in file order.
class ChunkBytes {
public:
    template <typename T>
    void put(T value)
    {
        const std::size_t at = bytes_.size();
        bytes_.resize(at + sizeof(T));
        writeField(bytes_.data(), at, value);
    }
    void putBytes(const void* data, std::size_t count)
    {
        const auto* first = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), first, first + count);
    }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }

private:
    std::vector<std::uint8_t> bytes_;
};

// A text with its terminating zero byte.
bool writeText(RiffWriter& writer, std::uint32_t id, const std::string& text)
{
    return writer.writeChunk(id, text.c_str(), text.size() + 1);
}

bool writeChunk(RiffWriter& writer, std::uint32_t id, const ChunkBytes& bytes)
{
    return writer.writeChunk(id, bytes.data(), bytes.size());
}

void putCurve(ChunkBytes& out, const CurvePoint* points, int count)
{
    for (int i = 0; i < count; ++i) {
        out.put<std::int16_t>(points[i].x);
        out.put<std::int16_t>(points[i].y);
    }
}

ChunkBytes noteRecords(const Track& track)
{
    ChunkBytes out;
    for (const Note* note = track.notes; note; note = note->next) {
        const int portamento = note->portamento ? note->portamentoCount : 0;
        const int expression = note->expression ? note->expressionCount : 0;
        out.put<std::uint32_t>(note->position);
        out.put<std::uint8_t>(note->delay);
        out.put<std::int8_t>(note->pitch);
        out.put<std::int8_t>(note->tune);
        out.put<std::uint8_t>(note->string);
        out.put<std::int16_t>(note->loudness);
        out.put<std::int16_t>(note->duration);
        out.put<std::int16_t>(note->legato);
        out.put<std::int16_t>(note->reserved);
        out.put<std::int16_t>(static_cast<std::int16_t>(portamento > 0 ? portamento : 0));
        out.put<std::int16_t>(static_cast<std::int16_t>(expression > 0 ? expression : 0));
        putCurve(out, note->portamento, portamento);
        putCurve(out, note->expression, expression);
    }
    return out;
}

template <class Node>
ChunkBytes entryRecords(const Node* head)
{
    ChunkBytes out;
    for (const Node* node = head; node; node = node->next)
        out.putBytes(node->entry.data(), node->entry.length());
    return out;
}

bool writeTrack(RiffWriter& writer, const Track& track)
{
    ChunkBytes clefs, loudPoints, panoPoints;
    for (const Clef* clef = track.clefs; clef; clef = clef->next) {
        clefs.put<std::uint32_t>(clef->position);
        clefs.put<std::int8_t>(clef->key);
        clefs.put<std::uint8_t>(clef->clef);
    }
    for (const LoudPoint* point = track.loudPoints; point; point = point->next) {
        loudPoints.put<std::uint32_t>(point->position);
        loudPoints.put<std::int16_t>(point->loudness);
    }
    for (const PanoPoint* point = track.panoPoints; point; point = point->next) {
        panoPoints.put<std::uint32_t>(point->position);
        panoPoints.put<std::int16_t>(point->x);
        panoPoints.put<std::int16_t>(point->y);
        panoPoints.put<std::int16_t>(point->z);
    }
    return writer.beginList(kListId, rwm::kTrack) && writeText(writer, rwm::kTrackName, track.name) &&
           writeText(writer, rwm::kTrackComment, track.comment) &&
           writeChunk(writer, rwm::kSources, entryRecords(track.sources)) &&
           writeChunk(writer, rwm::kEffects, entryRecords(track.effects)) &&
           writeChunk(writer, rwm::kClefs, clefs) && writeChunk(writer, rwm::kLoudPoints, loudPoints) &&
           writeChunk(writer, rwm::kPanoPoints, panoPoints) &&
           writeChunk(writer, rwm::kNotes, noteRecords(track)) && writer.endChunk();
}

bool writeMusic(RiffWriter& writer, const Durad& durad)
{
    ChunkBytes level, beats, tempo, count;
    level.put<std::int16_t>(durad.level);
    for (const Beat* beat = durad.beats; beat; beat = beat->next) {
        beats.put<std::uint32_t>(beat->position);
        beats.put<std::uint8_t>(beat->beats);
        beats.put<std::uint8_t>(beat->beatTicks);
    }
    for (const TempoPoint* point = durad.tempoPoints; point; point = point->next) {
        tempo.put<std::uint32_t>(point->position);
        tempo.put<std::uint16_t>(point->tempo);
    }
    count.put<std::uint32_t>(static_cast<std::uint32_t>(trackCount(durad)));

    if (!writer.beginList(kListId, rwm::kMusic) || !writeChunk(writer, rwm::kLevel, level) ||
        !writeChunk(writer, rwm::kBeats, beats) || !writeChunk(writer, rwm::kTempo, tempo) ||
        !writeChunk(writer, rwm::kTrackCount, count))
        return false;
    for (const Track* track = durad.tracks; track; track = track->next)
        if (!writeTrack(writer, *track))
            return false;
    return writer.endChunk();
}

bool writeDocument(RiffWriter& writer, const Durad& durad, const std::string& modifiedDate)
{
    const std::string* texts[] = {&durad.name,   &durad.createdDate, &modifiedDate, &durad.author,
                                  &durad.executant, &durad.copyright, &durad.comment};
    ChunkBytes version;
    version.put<std::uint32_t>(rwm::kFormatVersion);
    if (!writer.beginList(kRiffId, rwm::kForm) || !writeChunk(writer, rwm::kVersion, version) ||
        !writer.beginList(kListId, rwm::kInfo))
        return false;
    for (std::size_t i = 0; i < std::size(rwm::kInfoTexts); ++i)
        if (!writeText(writer, rwm::kInfoTexts[i], *texts[i]))
            return false;
    return writer.endChunk() && writeMusic(writer, durad) && writer.endChunk();
}

} // namespace

bool writeRwm(Durad& durad, const std::string& path)
{
    RiffWriter writer;
    if (!writer.create(path)) {
        messageBox(durad.notifyWindow, "Failed to open the file.");
        return false;
    }
    // The save time goes into the file; the Durad takes it only once the file is safe.
    const std::string modifiedDate = currentDateText();
    if (!writeDocument(writer, durad, modifiedDate) || !writer.commit()) {
        writer.discard();
        messageBox(durad.notifyWindow, "Failed to write the file.");
        return false;
    }
    durad.modifiedDate = modifiedDate;
    durad.filePath = path;
    clearChanged(durad);
    return true;
}

} // namespace orlim
