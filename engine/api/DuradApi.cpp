// The exported mus* functions: a thin layer that checks its arguments and calls the
// model. Nothing here throws out of the library.

#include "engine/include/durad.h"

#include "engine/formats/MidiImport.h"
#include "engine/formats/RwmFile.h"
#include "engine/model/Durad.h"
#include "engine/model/DuradEngine.h"
#include "engine/model/Editing.h"
#include "engine/model/List.h"
#include "engine/model/Timeline.h"
#include "engine/render/Playback.h"
#include "engine/render/SaveWave.h"

#include <cctype>
#include <exception>
#include <new>
#include <string>

using namespace orlim;

namespace {

template <class Point>
Point* nextOf(Point* point)
{
    return point ? point->next : nullptr;
}

} // namespace

Durad* musCreateDurad(orlim::Window* notifyWindow) noexcept
{
    try {
        return new Durad(notifyWindow);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void musDeleteDurad(Durad* durad) noexcept
{
    delete durad;
}

const char* musFileName(Durad* durad) noexcept
{
    return durad ? durad->filePath.c_str() : nullptr;
}

namespace {

// The last three characters of the path, lower-cased; empty for a shorter path.
std::string fileKind(const std::string& path)
{
    if (path.size() < 3)
        return {};
    std::string kind = path.substr(path.size() - 3);
    for (char& c : kind)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return kind;
}

} // namespace

int musFileOpen(Durad* durad, const char* path) noexcept
{
    if (!durad || !path)
        return 0;
    try {
        const std::string file(path);
        const std::string kind = fileKind(file);
        if (kind == "rwm")
            return readRwm(*durad, file) ? 1 : 0;
        if (kind == "mid")
            return importMidi(*durad, file, duradEngine().midiPresetPath) ? 1 : 0;
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int musFileSave(Durad* durad, const char* path) noexcept
{
    if (!durad || !path)
        return 0;
    try {
        return writeRwm(*durad, path) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int musIsChanged(Durad* durad) noexcept
{
    return durad && isChanged(*durad) ? 1 : 0;
}

int musClear(Durad* durad) noexcept
{
    if (!durad)
        return 0;
    clearDurad(*durad);
    return 1;
}

int musGetMeasureIndex(Durad* durad, std::uint32_t position) noexcept
{
    return durad ? measureIndex(*durad, position) : 0;
}

std::uint32_t musGetMeasurePos(Durad* durad, int measure) noexcept
{
    return durad ? measurePosition(*durad, measure) : 0;
}

const char* musGetTrackName(Durad* durad, int track) noexcept
{
    const Track* t = durad ? trackAt(*durad, track) : nullptr;
    return t ? t->name.c_str() : nullptr;
}

int musSetTrackName(Durad* durad, int track, const char* name) noexcept
{
    Track* t = durad ? trackAt(*durad, track) : nullptr;
    if (!t || !name)
        return 0;
    t->name = name;
    return 1;
}

Beat* musGetBeat(Durad* durad, std::uint32_t position) noexcept
{
    return durad ? beatInForce(*durad, position) : nullptr;
}

Clef* musGetClef(Durad* durad, int track, std::uint32_t position) noexcept
{
    Track* t = durad ? trackAt(*durad, track) : nullptr;
    return t ? clefInForce(*t, position) : nullptr;
}

int musGetTrackCount(Durad* durad) noexcept
{
    return durad ? trackCount(*durad) : 0;
}

int musDeleteNote(Durad* durad, int track, std::uint32_t position, int pitch) noexcept
{
    return durad ? deleteNote(*durad, track, position, pitch) : 0;
}

MeasureCell** musGetGMeasure(Durad* durad, int first, int* last, int firstMeasure, int lastMeasure) noexcept
{
    if (!durad || !last)
        return nullptr;
    return measureTable(*durad, first, *last, firstMeasure, lastMeasure);
}

std::uint32_t musGetDuradLength(Durad* durad) noexcept
{
    return durad ? musicLength(*durad) : 0;
}

std::uint32_t musTimeToPos(Durad* durad, std::uint32_t milliseconds) noexcept
{
    return durad ? positionOfTime(*durad, milliseconds) : 0;
}

TempoPoint* musGetTempo(Durad* durad, std::uint32_t position) noexcept
{
    return durad ? tempoInForce(*durad, position) : nullptr;
}

TempoPoint* musGetTempoNext(Durad* durad, std::uint32_t position) noexcept
{
    return nextOf(musGetTempo(durad, position));
}

LoudPoint* musGetLoud(Durad* durad, int track, std::uint32_t position) noexcept
{
    Track* t = durad ? trackAt(*durad, track) : nullptr;
    return t ? loudInForce(*t, position) : nullptr;
}

LoudPoint* musGetLoudNext(Durad* durad, int track, std::uint32_t position) noexcept
{
    return nextOf(musGetLoud(durad, track, position));
}

PanoPoint* musGetPano(Durad* durad, int track, std::uint32_t position) noexcept
{
    Track* t = durad ? trackAt(*durad, track) : nullptr;
    return t ? panoInForce(*t, position) : nullptr;
}

PanoPoint* musGetPanoNext(Durad* durad, int track, std::uint32_t position) noexcept
{
    return nextOf(musGetPano(durad, track, position));
}

int musInsertTempo(Durad* durad, std::uint32_t position, int tempo) noexcept
{
    return durad ? insertTempo(*durad, position, tempo) : 0;
}

int musDeleteTempo(Durad* durad, std::uint32_t position) noexcept
{
    return durad ? deleteTempo(*durad, position) : 0;
}

int musInsertLoud(Durad* durad, int track, std::uint32_t position, int loudness) noexcept
{
    return durad ? insertLoud(*durad, track, position, loudness) : 0;
}

int musDeleteLoud(Durad* durad, int track, std::uint32_t position) noexcept
{
    return durad ? deleteLoud(*durad, track, position) : 0;
}

int musInsertPano(Durad* durad, int track, std::uint32_t position, int x, int y, int z) noexcept
{
    return durad ? insertPano(*durad, track, position, x, y, z) : 0;
}

int musDeletePano(Durad* durad, int track, std::uint32_t position) noexcept
{
    return durad ? deletePano(*durad, track, position) : 0;
}

int musSetChanged(Durad* durad, int track) noexcept
{
    if (!durad)
        return 0;
    markChanged(*durad, track);
    return 1;
}

int musGetSourceCount(Durad* durad, int track) noexcept
{
    const Track* t = durad ? trackAt(*durad, track) : nullptr;
    return t ? listCount(t->sources) : 0;
}

orlim::SourceEntry* musGetSource(Durad* durad, int track, int index) noexcept
{
    const Track* t = durad ? trackAt(*durad, track) : nullptr;
    SourceNode* node = t ? listAt(t->sources, index) : nullptr;
    return node ? reinterpret_cast<orlim::SourceEntry*>(node->entry.data()) : nullptr;
}

int musInsertSource(Durad* durad, int track, const orlim::SourceEntry* entry) noexcept
{
    return durad ? insertSource(*durad, track, entry) : 0;
}

int musDeleteSource(Durad* durad, int track, int index) noexcept
{
    return durad ? deleteSource(*durad, track, index) : 0;
}

int musGetEffectCount(Durad* durad, int track) noexcept
{
    const Track* t = durad ? trackAt(*durad, track) : nullptr;
    return t ? listCount(t->effects) : 0;
}

orlim::EffectEntry* musGetEffect(Durad* durad, int track, int index) noexcept
{
    const Track* t = durad ? trackAt(*durad, track) : nullptr;
    EffectNode* node = t ? listAt(t->effects, index) : nullptr;
    return node ? reinterpret_cast<orlim::EffectEntry*>(node->entry.data()) : nullptr;
}

int musInsertEffect(Durad* durad, int track, const orlim::EffectEntry* entry) noexcept
{
    return durad ? insertEffect(*durad, track, entry) : 0;
}

int musDeleteEffect(Durad* durad, int track, int index) noexcept
{
    return durad ? deleteEffect(*durad, track, index) : 0;
}

int musInsertTrack(Durad* durad, int index, const char* name) noexcept
{
    return durad ? insertTrack(*durad, index, name) : 0;
}

int musInsertBeat(Durad* durad, std::uint32_t position, int beats, int beatTicks) noexcept
{
    return durad ? insertBeat(*durad, position, beats, beatTicks) : 0;
}

int musInsertClef(Durad* durad, int track, std::uint32_t position, int clef, int key) noexcept
{
    return durad ? insertClef(*durad, track, position, clef, key) : 0;
}

int musInsertNote(Durad* durad, int track, std::uint32_t position, int pitch, int duration) noexcept
{
    return durad ? insertNote(*durad, track, position, pitch, duration) : 0;
}

int musDeleteClef(Durad* durad, int track, std::uint32_t position) noexcept
{
    return durad ? deleteClef(*durad, track, position) : 0;
}

int musDeleteBeat(Durad* durad, std::uint32_t position) noexcept
{
    return durad ? deleteBeat(*durad, position) : 0;
}

int musModifyNote(Durad* durad, int track, std::uint32_t position, int pitch,
                  std::uint32_t newPosition, int newPitch, int newDuration) noexcept
{
    return durad ? modifyNote(*durad, track, position, pitch, newPosition, newPitch, newDuration) : 0;
}

int musMoveTrack(Durad* durad, int from, int to) noexcept
{
    return durad ? moveTrack(*durad, from, to) : 0;
}

int musDeleteTrack(Durad* durad, int index) noexcept
{
    return durad ? deleteTrack(*durad, index) : 0;
}

int musGetMBT(Durad* durad, std::uint32_t position, MBT* mbt) noexcept
{
    return durad && mbt ? fillMBT(*durad, position, *mbt) : 0;
}

int musGetLevel(Durad* durad) noexcept
{
    return durad ? durad->level : 0;
}

int musSetLevel(Durad* durad, int level) noexcept
{
    if (!durad)
        return 0;
    durad->level = static_cast<std::int16_t>(level);
    return durad->level;
}

int musDelete(Durad* durad, const Selection* selection) noexcept
{
    if (!durad || !selection)
        return 0;
    deleteBlock(*durad, *selection);
    return 1;
}

int musCopy(Durad* durad, const Selection* selection) noexcept
{
    return durad && selection ? copyBlock(*durad, *selection) : 0;
}

int musPaste(Durad* durad, int track, std::uint32_t position, int parts) noexcept
{
    return durad ? pasteBlock(*durad, track, position, parts) : 0;
}

Durad* musGetClipboard(void) noexcept
{
    return duradEngine().clipboard.get();
}

DuradInfo* musGetDuradInfo(Durad* durad, DuradInfo* info) noexcept
{
    if (!durad || !info)
        return nullptr;
    info->version = 0x10000;
    info->name = durad->name.c_str();
    info->createdDate = durad->createdDate.c_str();
    info->modifiedDate = durad->modifiedDate.c_str();
    info->author = durad->author.c_str();
    info->executant = durad->executant.c_str();
    info->copyright = durad->copyright.c_str();
    info->comment = durad->comment.c_str();
    return info;
}

int musSetDuradInfo(Durad* durad, const DuradInfo* info) noexcept
{
    if (!durad || !info)
        return 0;
    const auto text = [](const char* value) { return value ? value : ""; };
    durad->name = text(info->name);
    durad->author = text(info->author);
    durad->executant = text(info->executant);
    durad->copyright = text(info->copyright);
    durad->comment = text(info->comment);
    durad->changed = 1;
    return 1;
}

void musSetMIDPreset(const char* path) noexcept
{
    duradEngine().midiPresetPath = path ? path : "";
}

int musCopyTrack(Durad* source, int sourceTrack, Durad* target, int targetTrack) noexcept
{
    return source && target ? copyTrack(*source, sourceTrack, *target, targetTrack) : 0;
}

int musPlay(PlayRequest* request) noexcept
{
    if (!request)
        return 0;
    try {
        return enginePlayback().play(*request) ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void musEndPlay(void) noexcept
{
    try {
        enginePlayback().endPlay();
    } catch (const std::exception&) {
    }
}

int musIsPlaying(void) noexcept
{
    return enginePlayback().isPlaying() ? 1 : 0;
}

int musSaveWave(const char* path, PlayRequest* request) noexcept
{
    if (!path || !request)
        return 0;
    try {
        // Render passes share the process's jitter sequence and effects: one at a time.
        enginePlayback().endPlay();
        return saveWave(path, *request) ? 1 : 0;
    } catch (const std::exception&) {
        return 0;
    }
}
