// The ALSA backend on the "default" PCM, so that desktops running PipeWire or
// PulseAudio play through their ALSA plug-ins. The PCM is non-blocking and driven only
// from the device thread; a buffer counts as played once the hardware pointer has
// passed its last frame.

#include "platform/WaveOutSink.h"

#include <algorithm>
#include <cerrno>

#include <alsa/asoundlib.h>

namespace orlim {
namespace {

constexpr unsigned kPeriodMicros = 200'000;
constexpr unsigned kBufferMicros = 400'000;

bool sampleFormat(const WaveOutFormat& format, snd_pcm_format_t& out)
{
    switch (format.bitsPerSample) {
    case 8: out = SND_PCM_FORMAT_S8; return true;
    case 16: out = SND_PCM_FORMAT_S16_LE; return true;
    case 24: out = SND_PCM_FORMAT_S24_3LE; return true;
    case 32: out = SND_PCM_FORMAT_S32_LE; return true;
    default: return false;
    }
}

class AlsaSink final : public WaveOut::Sink {
public:
    AlsaSink(snd_pcm_t* pcm, const WaveOutFormat& format, snd_pcm_uframes_t bufferFrames)
        : pcm_(pcm), rate_(format.samplesPerSec), align_(format.blockAlign), bufferFrames_(bufferFrames)
    {
        snd_pcm_hw_params_t* hw = nullptr;
        snd_pcm_hw_params_alloca(&hw);
        canPause_ = snd_pcm_hw_params_current(pcm_, hw) == 0 && snd_pcm_hw_params_can_pause(hw) == 1;
    }

    ~AlsaSink() override
    {
        if (pcm_)
            snd_pcm_close(pcm_);
    }

    std::size_t feed(const unsigned char* data, std::size_t bytes) override
    {
        snd_pcm_sframes_t done = snd_pcm_writei(pcm_, data, bytes / align_);
        if (done == -EPIPE || done == -ESTRPIPE) {
            // The ring ran dry (everything fed was played): start again.
            catchUp();
            done = snd_pcm_writei(pcm_, data, bytes / align_);
        }
        if (done <= 0)
            return 0;
        const std::uint64_t taken = static_cast<std::uint64_t>(done) * align_;
        fed_ += taken;
        return static_cast<std::size_t>(taken);
    }

    void flush() override
    {
        if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED && fed_ > played_)
            snd_pcm_start(pcm_);
    }

    std::uint64_t played() override
    {
        const snd_pcm_state_t state = snd_pcm_state(pcm_);
        if (state == SND_PCM_STATE_XRUN) {
            catchUp();
            return played_;
        }
        if (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_DRAINING)
            return played_;
        const snd_pcm_sframes_t room = snd_pcm_avail(pcm_);
        if (room < 0) {
            if (snd_pcm_recover(pcm_, static_cast<int>(room), 1) == 0)
                catchUp();
            return played_;
        }
        const std::uint64_t inRing =
            static_cast<std::uint64_t>(bufferFrames_ - std::min<snd_pcm_uframes_t>(bufferFrames_, room)) * align_;
        played_ = std::max(played_, fed_ > inRing ? fed_ - inRing : 0);
        return played_;
    }

    std::chrono::nanoseconds timeUntilPlayed(std::uint64_t target) override
    {
        // A hint only: wake up soon enough to refill, never spin.
        const std::uint64_t left = target > played_ ? (target - played_) / align_ : 0;
        const auto wait = std::chrono::microseconds(left * 1'000'000u / rate_);
        return std::clamp<std::chrono::nanoseconds>(wait, std::chrono::milliseconds(2),
                                                    std::chrono::milliseconds(50));
    }

    bool pause() override
    {
        if (snd_pcm_state(pcm_) != SND_PCM_STATE_RUNNING)
            return true;
        // Without hardware pause the device thread simply stops feeding.
        return !canPause_ || snd_pcm_pause(pcm_, 1) == 0;
    }

    bool drop() override
    {
        const bool dropped = snd_pcm_drop(pcm_) == 0;
        fed_ = 0;
        played_ = 0;
        return snd_pcm_prepare(pcm_) == 0 && dropped;
    }

    bool close() override
    {
        const int result = snd_pcm_close(pcm_);
        pcm_ = nullptr;
        return result == 0;
    }

private:
    // After an underrun everything fed has been played.
    void catchUp()
    {
        played_ = fed_;
        snd_pcm_prepare(pcm_);
    }

    snd_pcm_t* pcm_;
    std::uint64_t rate_;
    std::uint64_t align_;
    snd_pcm_uframes_t bufferFrames_;
    bool canPause_ = false;
    std::uint64_t fed_ = 0;
    std::uint64_t played_ = 0;
};

bool configure(snd_pcm_t* pcm, const WaveOutFormat& format, snd_pcm_uframes_t& bufferFrames)
{
    snd_pcm_format_t sample{};
    if (!sampleFormat(format, sample) ||
        format.blockAlign != format.channels * (format.bitsPerSample / 8))
        return false;
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned rate = format.samplesPerSec;
    unsigned period = kPeriodMicros;
    unsigned buffer = kBufferMicros;
    int dir = 0;
    if (snd_pcm_hw_params_any(pcm, hw) < 0 ||
        snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, sample) < 0 ||
        snd_pcm_hw_params_set_channels(pcm, hw, format.channels) < 0 ||
        snd_pcm_hw_params_set_rate_resample(pcm, hw, 1) < 0 ||
        snd_pcm_hw_params_set_rate(pcm, hw, rate, 0) < 0)
        return false;
    // The two buffers of a player must fit into the ring at once.
    snd_pcm_hw_params_set_buffer_time_min(pcm, hw, &buffer, &dir);
    buffer = kBufferMicros;
    if (snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, &dir) < 0 ||
        snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer, &dir) < 0 ||
        snd_pcm_hw_params(pcm, hw) < 0 || snd_pcm_hw_params_get_buffer_size(hw, &bufferFrames) < 0)
        return false;
    snd_pcm_uframes_t periodFrames = 0;
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    return snd_pcm_hw_params_get_period_size(hw, &periodFrames, &dir) == 0 &&
           snd_pcm_sw_params_current(pcm, sw) == 0 &&
           snd_pcm_sw_params_set_start_threshold(pcm, sw, periodFrames) == 0 &&
           snd_pcm_sw_params_set_avail_min(pcm, sw, periodFrames) == 0 &&
           snd_pcm_sw_params(pcm, sw) == 0 && snd_pcm_prepare(pcm) == 0;
}

// The library's own diagnostics (a missing card, say) would reach the terminal on
// every refused open; the caller reports the failure in its own words.
void quiet(const char*, int, const char*, int, const char*, ...) {}

} // namespace

std::unique_ptr<WaveOut::Sink> openAlsaSink(const WaveOutFormat& format, std::string_view)
{
    snd_lib_error_set_handler(quiet);
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    snd_pcm_uframes_t bufferFrames = 0;
    if (!configure(pcm, format, bufferFrames)) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::make_unique<AlsaSink>(pcm, format, bufferFrames);
}

} // namespace orlim
