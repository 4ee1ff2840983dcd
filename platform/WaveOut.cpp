#include "platform/WaveOut.h"

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/WaveOutSink.h"

namespace orlim {
namespace {

using SinkOpener = std::unique_ptr<WaveOut::Sink> (*)(const WaveOutFormat&, std::string_view);

struct Backend {
    std::string_view name;
    SinkOpener open;
};

constexpr Backend kBackends[] = {
    {"alsa", openAlsaSink},
    {"null", openNullSink},
    {"file", openFileSink},
};

bool isPcm(const WaveOutFormat& format)
{
    const unsigned bytes = format.bitsPerSample / 8u;
    return format.formatTag == 1 && format.channels > 0 && format.samplesPerSec > 0 &&
           format.bitsPerSample % 8 == 0 && bytes >= 1 && bytes <= 4 &&
           format.blockAlign >= format.channels * bytes;
}

// "name" or "name:argument"; without the variable, ALSA.
std::unique_ptr<WaveOut::Sink> openSink(const WaveOutFormat& format)
{
    const char* chosen = std::getenv("ORLIM_WAVE_OUT");
    const std::string_view spec = chosen && *chosen ? chosen : "alsa";
    const std::size_t colon = spec.find(':');
    const std::string_view name = spec.substr(0, colon);
    const std::string_view argument = colon == std::string_view::npos ? std::string_view{} : spec.substr(colon + 1);
    for (const Backend& backend : kBackends)
        if (backend.name == name)
            return backend.open(format, argument);
    return nullptr;
}

enum class Command { None, Pause, Reset, Close };

struct Queued {
    WaveBuffer* buffer;
    // Stream offset just past the buffer's last byte, once it has been fed whole.
    std::uint64_t end;
};

} // namespace

// Every call into the sink happens on the device thread; the mutex guards the queue
// and the command slot that the other threads share with it.
struct WaveOut::Impl {
    Impl(std::unique_ptr<Sink> sink, WaveDoneCallback done, std::uint32_t align)
        : sink(std::move(sink)), done(std::move(done)), align(align)
    {
    }

    bool run(Command command);
    void loop();
    // Device thread, lock held: carries out the command in the slot.
    bool carryOut(Command command, std::unique_lock<std::mutex>& lock);
    // Device thread, lock held: hands buffers back with the lock released.
    void handBack(std::vector<WaveBuffer*> buffers, std::unique_lock<std::mutex>& lock);
    bool onDeviceThread() const { return std::this_thread::get_id() == thread.get_id(); }

    std::unique_ptr<Sink> sink;
    WaveDoneCallback done;
    const std::uint32_t align;
    std::thread thread;

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable answered;
    std::deque<Queued> queue;
    // Buffers at the front of the queue that have been fed whole, and bytes fed of
    // the one after them.
    std::size_t fedBuffers = 0;
    std::size_t fedPart = 0;
    std::uint64_t fedTotal = 0;
    bool paused = false;
    bool open = true;
    Command command = Command::None;
    bool commandResult = false;
    bool commandDone = false;
    bool closeResult = true;
};

std::unique_ptr<WaveOut> WaveOut::open(const WaveOutFormat& format, WaveDoneCallback done)
{
    if (!isPcm(format) || !done)
        return nullptr;
    std::unique_ptr<Sink> sink = openSink(format);
    if (!sink)
        return nullptr;
    auto impl = std::make_unique<Impl>(std::move(sink), std::move(done), format.blockAlign);
    Impl* device = impl.get();
    impl->thread = std::thread([device] { device->loop(); });
    return std::unique_ptr<WaveOut>(new WaveOut(std::move(impl)));
}

WaveOut::WaveOut(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

WaveOut::~WaveOut()
{
    close();
}

bool WaveOut::isOpen() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->open;
}

bool WaveOut::prepare(WaveBuffer& buffer)
{
    // Whole frames only: a device takes nothing smaller than a frame.
    if (!buffer.data || buffer.length == 0 || buffer.length % impl_->align != 0 || buffer.queued)
        return false;
    buffer.prepared = true;
    return true;
}

bool WaveOut::unprepare(WaveBuffer& buffer)
{
    if (buffer.queued)
        return false;
    buffer.prepared = false;
    return true;
}

bool WaveOut::write(WaveBuffer& buffer)
{
    std::lock_guard lock(impl_->mutex);
    if (!impl_->open || !buffer.prepared || buffer.queued)
        return false;
    buffer.queued = true;
    impl_->queue.push_back({&buffer, 0});
    impl_->wake.notify_all();
    return true;
}

bool WaveOut::pause()
{
    return impl_->run(Command::Pause);
}

bool WaveOut::reset()
{
    return impl_->run(Command::Reset);
}

bool WaveOut::close()
{
    if (impl_->onDeviceThread())
        return false;
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->open)
            return false;
    }
    impl_->run(Command::Close);
    impl_->thread.join();
    std::lock_guard lock(impl_->mutex);
    return impl_->closeResult;
}

bool WaveOut::Impl::run(Command wanted)
{
    std::unique_lock lock(mutex);
    if (!open)
        return false;
    if (onDeviceThread())
        return carryOut(wanted, lock);
    // One command at a time: wait for the slot, then for the answer.
    answered.wait(lock, [this] { return command == Command::None || !open; });
    if (!open)
        return false;
    command = wanted;
    commandDone = false;
    wake.notify_all();
    answered.wait(lock, [this] { return commandDone; });
    command = Command::None;
    answered.notify_all();
    return commandResult;
}

bool WaveOut::Impl::carryOut(Command wanted, std::unique_lock<std::mutex>& lock)
{
    switch (wanted) {
    case Command::Pause:
        paused = true;
        return sink->pause();
    case Command::Reset: {
        const bool dropped = sink->drop();
        std::vector<WaveBuffer*> returned;
        for (const Queued& entry : queue)
            returned.push_back(entry.buffer);
        queue.clear();
        fedBuffers = 0;
        fedPart = 0;
        fedTotal = 0;
        paused = false;
        handBack(std::move(returned), lock);
        return dropped;
    }
    case Command::Close:
        for (const Queued& entry : queue)
            entry.buffer->queued = false;
        queue.clear();
        closeResult = sink->close();
        open = false;
        return closeResult;
    case Command::None:
        break;
    }
    return false;
}

void WaveOut::Impl::handBack(std::vector<WaveBuffer*> buffers, std::unique_lock<std::mutex>& lock)
{
    for (WaveBuffer* buffer : buffers)
        buffer->queued = false;
    lock.unlock();
    for (WaveBuffer* buffer : buffers)
        done(*buffer);
    lock.lock();
}

void WaveOut::Impl::loop()
{
    std::unique_lock lock(mutex);
    while (open) {
        if (command != Command::None && !commandDone) {
            commandResult = carryOut(command, lock);
            commandDone = true;
            answered.notify_all();
            continue;
        }
        if (paused || queue.empty()) {
            wake.wait(lock);
            continue;
        }
        // Feed what fits, buffer after buffer.
        while (fedBuffers < queue.size()) {
            Queued& next = queue[fedBuffers];
            const std::size_t taken =
                sink->feed(next.buffer->data + fedPart, next.buffer->length - fedPart);
            fedPart += taken;
            fedTotal += taken;
            if (fedPart < next.buffer->length)
                break;
            next.end = fedTotal;
            ++fedBuffers;
            fedPart = 0;
        }
        if (fedBuffers == queue.size())
            sink->flush();
        if (fedBuffers > 0 && queue.front().end <= sink->played()) {
            WaveBuffer* finished = queue.front().buffer;
            queue.pop_front();
            --fedBuffers;
            sink->keep(finished->data, finished->length);
            handBack({finished}, lock);
            continue;
        }
        const std::uint64_t target = fedBuffers > 0 ? queue.front().end : fedTotal + 1;
        wake.wait_for(lock, sink->timeUntilPlayed(target));
    }
    // Wake callers still waiting for the command slot of a closed device.
    answered.notify_all();
}

} // namespace orlim
