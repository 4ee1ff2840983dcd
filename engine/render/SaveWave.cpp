#include "engine/render/SaveWave.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>

#include "engine/model/Durad.h"
#include "engine/model/Timeline.h"
#include "engine/render/RenderContext.h"
#include "engine/render/RenderPass.h"
#include "platform/MessageBox.h"
#include "platform/Riff.h"
#include "platform/SaveWaveProgress.h"
#include "platform/UiRequests.h"

namespace orlim {
namespace {

constexpr const char* kCantCreate = "Can't create the wave file.";
constexpr const char* kCantWrite = "Failed to write the wave file.";

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(500);
// How long the user interface runs between looks at the cancel button.
constexpr int kIdleMs = 20;
constexpr std::size_t kPiece = 32768;
// "RIFF" size = "WAVE", the "fmt " chunk, the "data" header, the data and its pad.
constexpr std::uint64_t kRiffOverhead = 4 + 8 + 18 + 8;

static_assert(std::endian::native == std::endian::little, "the format block is written as it lies in memory");

void waitForPass(const RenderContext& context)
{
    while (context.running) {
        servePendingUiRequests();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Copies `bytes` bytes of the stream into the wave file; shows the message of a
// failure and leaves no file then.
bool writeWaveFile(const std::string& path, const PlayRequest& request, StreamBuffer& stream,
                   std::uint64_t bytes)
{
    const std::uint64_t pad = bytes & 1;
    if (bytes + pad > std::numeric_limits<std::uint32_t>::max() - kRiffOverhead) {
        messageBox(request.notifyWindow, kCantCreate);
        return false;
    }
    RiffWriter file;
    if (!file.create(path)) {
        messageBox(request.notifyWindow, kCantCreate);
        return false;
    }
    bool written = file.beginList(kRiffId, fourcc("WAVE")) &&
                   file.writeChunk(fourcc("fmt "), &request.format, sizeof request.format) &&
                   file.beginChunk(fourcc("data"));
    std::unique_ptr<unsigned char[]> piece(new unsigned char[kPiece]);
    std::uint64_t copied = 0;
    while (written && copied < bytes) {
        const std::size_t got = stream.read(piece.get(), std::min<std::uint64_t>(kPiece, bytes - copied));
        written = got > 0 && file.write(piece.get(), got);
        copied += got;
    }
    if (!written || !file.commit()) {
        file.discard();
        messageBox(request.notifyWindow, kCantWrite);
        return false;
    }
    return true;
}

} // namespace

std::uint64_t saveWaveRange(const WaveFormat& format, std::int64_t endMs)
{
    const std::uint64_t seconds = endMs > 0 ? static_cast<std::uint64_t>(endMs / 1000) : 0;
    return std::uint64_t{format.blockAlign} * format.samplesPerSec * seconds;
}

std::string saveWavePercent(std::uint64_t renderedBytes, std::uint64_t range)
{
    const std::uint64_t step = range / 100;
    const std::uint64_t percent = step == 0 ? 0 : std::min<std::uint64_t>(99, renderedBytes / step);
    return std::to_string(percent) + "%";
}

bool saveWave(const std::string& path, PlayRequest& request)
{
    if (!request.music)
        return false;
    std::unique_ptr<SaveWaveProgress> progress = makeSaveWaveProgress();
    request.start = 0;
    request.end = musicLength(*request.music);

    RenderContext context;
    context.request = &request;
    context.stream = StreamBuffer::create();
    if (!context.stream) {
        messageBox(request.notifyWindow, kCantCreate);
        return false;
    }
    const std::uint64_t range = saveWaveRange(request.format, timeOfPosition(*request.music, request.end, 0));
    progress->open(path, range);

    context.running = true;
    std::thread pass;
    try {
        pass = std::thread([&context] { runRenderPass(context); });
    } catch (const std::system_error&) {
        progress->close();
        messageBox(request.notifyWindow, kCantCreate);
        return false;
    }

    Clock::time_point tick = Clock::now() + kTick;
    bool ended = false;
    while (!ended) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(tick - Clock::now()).count();
        progress->idle(static_cast<int>(std::clamp<long long>(left, 0, kIdleMs)));
        servePendingUiRequests();
        if (progress->cancelled()) {
            context.stop = 1;
            waitForPass(context);
            pass.join();
            progress->close();
            return false;
        }
        // The end is shown as soon as the pass has ended, not at the next tick.
        ended = !context.running;
        if (!ended && Clock::now() < tick)
            continue;
        tick += kTick;
        const auto rendered = static_cast<std::uint64_t>(std::max<std::int64_t>(0, context.renderedBytes));
        progress->position(rendered, ended ? "100%" : saveWavePercent(rendered, range));
    }
    pass.join();
    if (context.stream->failed()) {
        // The stream lost bytes to its file: what is left is not the music.
        progress->close();
        messageBox(request.notifyWindow, kCantWrite);
        return false;
    }
    const bool saved = writeWaveFile(path, request, *context.stream,
                                     static_cast<std::uint64_t>(std::max<std::int64_t>(0, context.renderedBytes)));
    context.stream.reset();
    progress->close();
    return saved;
}

} // namespace orlim
