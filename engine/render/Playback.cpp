#include "engine/render/Playback.h"

#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

#include "engine/include/DuradMessages.h"
#include "engine/model/Durad.h"
#include "engine/model/Timeline.h"
#include "engine/render/RenderPass.h"
#include "platform/MessageBox.h"
#include "platform/Threads.h"
#include "platform/UiRequests.h"
#include "platform/Window.h"

namespace orlim {
namespace {

constexpr const char* kCantOpenDevice = "Can't open wave device";
constexpr const char* kDeviceError = "error";

constexpr int kTimerMs = 500;
constexpr std::int64_t kBufferMs = 200;
// The most a device buffer may take; larger ones come only from absurd formats.
constexpr std::uint64_t kMaxBufferBytes = std::uint64_t{1} << 26;

// Gives the device a moment between pause, reset and close.
void settle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

WaveOutFormat deviceFormat(const WaveFormat& format)
{
    WaveOutFormat device;
    device.formatTag = format.formatTag;
    device.channels = format.channels;
    device.samplesPerSec = format.samplesPerSec;
    device.blockAlign = format.blockAlign;
    device.bitsPerSample = format.bitsPerSample;
    return device;
}

} // namespace

Playback& enginePlayback()
{
    static Playback playback;
    return playback;
}

Playback::~Playback()
{
    // The library is going away: stop the threads without posting or asking anything.
    beginEnding();
    if (renderThread_.joinable())
        renderThread_.join();
    device_.reset();
}

bool Playback::play(PlayRequest& request)
{
    endPlay();
    if (!request.music)
        return false;
    const std::uint32_t length = musicLength(*request.music);
    if (request.end > length)
        request.end = length;
    if (request.start >= request.end)
        return false;

    context_.request = &request;
    context_.renderedBytes = 0;
    context_.playedBytes = 0;
    context_.startMs = timeOfPosition(*request.music, request.start, 0);
    // A countdown left by a playback that was stopped in an underrun would only
    // silence the start of this one.
    underrun_ = 0;
    for (WaveBuffer& buffer : buffers_) {
        buffer.user = kCirculating;
        buffer.prepared = false;
        buffer.queued = false;
    }

    const std::uint64_t length200ms =
        std::uint64_t{request.format.samplesPerSec / 5} * request.format.blockAlign;
    context_.stream = StreamBuffer::create();
    if (context_.stream && length200ms > 0 && length200ms <= kMaxBufferBytes)
        device_ = WaveOut::open(deviceFormat(request.format),
                                [this](WaveBuffer& buffer) { bufferDone(buffer); });
    if (!device_) {
        context_.stream.reset();
        context_.request = nullptr;
        messageBox(request.notifyWindow, kCantOpenDevice);
        return false;
    }
    playing_ = true;

    ending_ = false;
    context_.stop = 0;
    context_.running = true;
    bool started = true;
    try {
        renderThread_ = std::thread([this] {
            raiseCurrentThreadPriority();
            runRenderPass(context_);
        });
    } catch (const std::system_error&) {
        context_.running = false;
        started = false;
    }

    bufferLength_ = static_cast<std::uint32_t>(length200ms);
    bool queued = started;
    for (int i = 0; i < 2 && queued; ++i) {
        data_[i].reset(new (std::nothrow) unsigned char[bufferLength_]());
        buffers_[i].data = data_[i].get();
        buffers_[i].length = bufferLength_;
        queued = data_[i] && device_->prepare(buffers_[i]) && device_->write(buffers_[i]);
    }
    if (!queued) {
        beginEnding();
        device_->close();
        releaseAll();
        messageBox(request.notifyWindow, kCantOpenDevice);
        return false;
    }
    timer_ = startThreadTimer(kTimerMs, [this] { timerTick(); });
    return true;
}

void Playback::bufferDone(WaveBuffer& buffer)
{
    // Once end play began, the buffers that reset hands back stay where they are.
    if (ending_.load(std::memory_order_acquire))
        return;
    const std::int64_t length = bufferLength_;
    WindowHandle notify = context_.request->notifyWindow;
    const std::int64_t played = context_.playedBytes;
    const LParam position = static_cast<LParam>(context_.startMs + played / length * kBufferMs);

    if (buffer.user != kCirculating) {
        // Posted before the marker changes, so the end never overtakes the last time.
        postMessage(notify, WM_MUS_POSITION, 0, position);
        buffer.user = kFinished;
        return;
    }
    if (underrun_ > 0) {
        if (underrun_ == kUnderrunBuffers)
            std::memset(buffer.data, 0, length);
        device_->write(buffer);
        --underrun_;
        return;
    }
    if (context_.running) {
        if (played + length > context_.renderedBytes) {
            underrun_ = kUnderrunBuffers;
            std::memset(buffer.data, 0, length);
        } else {
            const std::size_t got = context_.stream->read(buffer.data, length);
            // A stream that lost its file delivers less than it counted.
            std::memset(buffer.data + got, 0, static_cast<std::size_t>(length) - got);
            context_.playedBytes += static_cast<std::int64_t>(got);
            postMessage(notify, WM_MUS_POSITION, 0, position);
        }
        device_->write(buffer);
        return;
    }
    if (played > context_.renderedBytes) {
        std::memset(buffer.data, 0, length);
        buffer.user = kLastData;
    } else {
        const std::size_t got = context_.stream->read(buffer.data, length);
        if (got < static_cast<std::size_t>(length)) {
            buffer.user = kLastData;
            std::memset(buffer.data + got, 0, length - got);
        }
        context_.playedBytes += static_cast<std::int64_t>(got);
        postMessage(notify, WM_MUS_POSITION, 0, position);
    }
    device_->write(buffer);
}

void Playback::timerTick()
{
    // A box of end play runs an event loop in which this timer may still fire.
    if (ending_.load(std::memory_order_acquire))
        return;
    if (!device_) {
        killTimer();
        return;
    }
    if (buffers_[0].user != kFinished || buffers_[1].user != kFinished)
        return;
    postMessage(context_.request->notifyWindow, WM_MUS_PLAYEND, 0, 0);
    device_->close();
    releaseAll();
    killTimer();
}

void Playback::endPlay()
{
    if (!device_ && !renderThread_.joinable())
        return;
    beginEnding();
    killTimer();
    waitForRenderPass();
    settle();
    if (device_) {
        WindowHandle notify = context_.request->notifyWindow;
        if (!device_->pause())
            messageBox(notify, kDeviceError);
        settle();
        if (!device_->reset())
            messageBox(notify, kDeviceError);
        settle();
        if (!device_->close())
            messageBox(notify, kDeviceError);
    }
    postMessage(context_.request->notifyWindow, WM_MUS_PLAYEND, 0, 0);
    releaseAll();
}

void Playback::beginEnding()
{
    ending_.store(true, std::memory_order_release);
    context_.stop = 1;
}

void Playback::waitForRenderPass()
{
    while (context_.running) {
        servePendingUiRequests();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (renderThread_.joinable())
        renderThread_.join();
}

void Playback::releaseAll()
{
    waitForRenderPass();
    for (int i = 0; i < 2; ++i) {
        if (device_)
            device_->unprepare(buffers_[i]);
        buffers_[i].data = nullptr;
        buffers_[i].length = 0;
        data_[i].reset();
    }
    device_.reset();
    playing_ = false;
    context_.stream.reset();
    context_.request = nullptr;
}

void Playback::killTimer()
{
    if (timer_ != 0) {
        killThreadTimer(timer_);
        timer_ = 0;
    }
}

} // namespace orlim
