#include "plugins/giga/TivenorSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <vector>

#include "plugins/common/SourceMath.h"

namespace orlim::tivenor {
namespace {

using plugin::addCounts;

// Frames read at once when a wave's frames hold more than the one channel kept.
constexpr std::uint64_t kFramesPerRead = 16384;

// t(x) = floor(2^(x / (1200 x 65536)) x rate) samples, for a time x in 1/65536 timecent.
std::uint32_t samplesOf(double time, std::uint32_t rate)
{
    return plugin::floorCount(std::pow(2.0, time / (1200.0 * 65536.0)) * rate);
}

// 40 x log10(sustain / 1000) mB, limited to -9600..9600.
std::int16_t sustainLevel(std::uint16_t sustain)
{
    if (sustain == 0)
        return -9600;
    const double level = 40.0 * std::log10(sustain / 1000.0);
    return plugin::truncateToInt16(std::clamp(level, -9600.0, 9600.0));
}

bool holds(const Region& region, int pitch, int velocity)
{
    return region.keyLow * 100 <= pitch && pitch <= region.keyHigh * 100 && region.velocityLow <= velocity &&
           velocity <= region.velocityHigh;
}

// The first `length` points of channel 0 of `wave` as signed values, then kExtraPoints
// more: the loop [loopStart, loopEnd) continued when it is not empty, else zeros.
// False when the file no longer holds the points.
bool readPoints(GigaBank& bank, const WaveData& wave, std::uint32_t length, std::uint32_t loopStart,
                std::uint32_t loopEnd, std::vector<std::uint8_t>& points)
{
    const std::size_t bytes = wave.bitsPerSample / 8u;
    const std::uint64_t offset = wave.data.dataOffset;
    points.assign((std::uint64_t{length} + kExtraPoints) * bytes, 0);
    if (wave.blockAlign == bytes) {
        const std::size_t count = std::size_t{length} * bytes;
        if (bank.readAt(offset, points.data(), count) != count)
            return false;
    } else {
        std::vector<std::uint8_t> frames(std::min<std::uint64_t>(length, kFramesPerRead) * wave.blockAlign);
        for (std::uint64_t done = 0; done < length;) {
            const std::uint64_t n = std::min<std::uint64_t>(kFramesPerRead, length - done);
            const std::size_t count = n * wave.blockAlign;
            if (bank.readAt(offset + done * wave.blockAlign, frames.data(), count) != count)
                return false;
            for (std::uint64_t i = 0; i < n; ++i)
                std::memcpy(points.data() + (done + i) * bytes, frames.data() + i * wave.blockAlign, bytes);
            done += n;
        }
    }
    // 8-bit wave data is unsigned; the sample block is signed.
    if (bytes == 1)
        for (std::size_t i = 0; i < length; ++i)
            points[i] ^= 0x80;
    if (loopEnd > loopStart) {
        const std::uint64_t loopLength = loopEnd - loopStart;
        for (std::uint64_t p = length; p < std::uint64_t{length} + kExtraPoints; ++p) {
            const std::uint64_t from = loopStart + (p - loopEnd) % loopLength;
            std::memcpy(points.data() + p * bytes, points.data() + from * bytes, bytes);
        }
    }
    return true;
}

} // namespace

TivenorSource::TivenorSource(std::string libraryFolder) : folder_(std::move(libraryFolder)) {}

std::uint64_t TivenorSource::bankReads() const
{
    std::lock_guard lock(mutex_);
    return banks_.loads();
}

std::size_t TivenorSource::sampleBytesCached() const
{
    std::lock_guard lock(mutex_);
    return samples_.bytesHeld();
}

const void* TivenorSource::getSample(const SourceEntry* entry, SampleRequest* request) noexcept
{
    std::lock_guard lock(mutex_);
    current_.reset();
    if (!request) {
        errors_.set(kCantOpen);
        return nullptr;
    }
    int error = 0;
    try {
        error = produce(decodeRecord(entry), *request);
    } catch (const std::exception&) {
        // Points too many to hold cannot be handed out.
        error = kNoData;
    }
    if (error != 0) {
        errors_.set(error);
        current_.reset();
        return nullptr;
    }
    return current_->data();
}

int TivenorSource::produce(const TivenorSettings& settings, SampleRequest& request)
{
    const plugin::BankFinder::Found file = finder_.find(folder_, settings.bankFile);
    const std::shared_ptr<GigaBank> bank = banks_.get(file.path, file.identity, &GigaBank::open);
    if (!bank)
        return kCantOpen;
    return produceSample(*bank, settings, request, samples_, current_);
}

int produceSample(GigaBank& bank, const TivenorSettings& settings, SampleRequest& request,
                  plugin::SampleCache& cache, plugin::SampleBlock& block)
{
    const int velocity = plugin::velocityFromLoudness(request.loudness);
    if (bank.formError != 0)
        return kNotGiga;
    if (!bank.instrumentCount)
        return kNoColh;
    if (!bank.hasLins)
        return kNoLins;

    // Bank and program as "insh" stores them: a drum kit matches only an entry whose
    // bank carries the drum bit too.
    const auto instrument = std::find_if(bank.instruments.begin(), bank.instruments.end(), [&](const Instrument& i) {
        return i.bank == settings.bank && i.program == settings.program;
    });
    if (instrument == bank.instruments.end())
        return bank.instrumentsBroken ? kNoInst : kNoBank;
    if (!instrument->hasLrgn)
        return kNoRange;
    const int pitch = request.pitch;
    const auto region = std::find_if(instrument->regions.begin(), instrument->regions.end(),
                                     [&](const Region& r) { return holds(r, pitch, velocity); });
    if (region == instrument->regions.end())
        return kNoRange;
    if (region->articulationError != 0)
        return region->articulationError;
    if (!region->tableIndex)
        return kNoWlnk;
    if (!bank.cues || *region->tableIndex >= bank.cues->size())
        return kNoPtbl;
    if (!bank.wvpl)
        return kNoWvpl;
    const GigaBank::WaveResult found = bank.waveAt((*bank.cues)[*region->tableIndex]);
    if (found.error != 0)
        return found.error;
    const WaveData& wave = found.wave;
    const Articulation& articulation = region->articulation;
    const SampleInfo& sample = region->sample;

    // Only channel 0 is handed out; a loop that does not lie inside the wave is dropped.
    const std::uint16_t sampleBytes = static_cast<std::uint16_t>(wave.bitsPerSample / 8u);
    const std::uint32_t length = wave.data.size / wave.blockAlign;
    std::uint32_t loopStart = 0;
    std::uint32_t loopEnd = 0;
    const std::uint64_t end = std::uint64_t{sample.loopStart} + sample.loopLength;
    if (sample.loopLength > 0 && end <= length) {
        loopStart = sample.loopStart;
        loopEnd = static_cast<std::uint32_t>(end);
    }
    const plugin::SampleKey key{bank.version, wave.data.dataOffset, std::uint64_t{length} * sampleBytes,
                                std::uint64_t{loopStart} << 32 | loopEnd};
    block = cache.find(key);
    if (!block) {
        auto points = std::make_shared<std::vector<std::uint8_t>>();
        if (!readPoints(bank, wave, length, loopStart, loopEnd, *points))
            return kNoData; // the file was cut short since it was read
        block = points;
        cache.insert(key, block);
    }

    request.sampleBytes = sampleBytes;
    request.sampleRate = wave.sampleRate;
    request.startOffset = 0;
    request.sampleLength = length;
    request.loopStart = loopStart;
    request.loopEnd = loopEnd;
    request.cutoff = plugin::relativeCutoff(request.pitch, settings.relativeCutoff);
    // 16-bit arithmetic, as the fields hold it.
    request.rootPitch = static_cast<std::int16_t>(sample.unityNote * 100 + sample.fineTune - settings.pitchOffset);
    request.attenuation = static_cast<std::int16_t>(10 * (sample.attenuation >> 16) + settings.attenuationOffset);

    const std::uint32_t rate = request.outRate;
    const std::int16_t sustain = sustainLevel(articulation.sustain);
    request.noteOff = request.totalSamples;
    request.attackEnd = 0;
    request.holdEnd = 0;
    request.decayEnd = 0;
    request.levelStart = 0;
    request.levelAttack = 0;
    request.levelHold = sustain;
    request.levelDecay = sustain;
    request.levelNoteOff = sustain;
    request.delayEnd = samplesOf(articulation.delay, rate);
    if (articulation.mode == kModeHoldToLoop && request.loopStart < request.loopEnd) {
        // The note holds until the loop start, and from there as long as the hold lasts.
        request.attackEnd = request.loopStart;
        request.holdEnd = addCounts(samplesOf(articulation.attack, rate), request.loopStart);
        if (articulation.holdOrDecay >= 2147483647u)
            request.totalSamples = addCounts(request.totalSamples, request.totalSamples);
        else
            request.decayEnd = addCounts(samplesOf(articulation.holdOrDecay, rate), request.holdEnd);
    } else {
        request.attackEnd = addCounts(samplesOf(articulation.attack, rate), request.delayEnd);
        request.holdEnd = addCounts(samplesOf(articulation.holdOrDecay, rate), request.attackEnd);
        request.totalSamples = addCounts(request.totalSamples, samplesOf(articulation.release, rate));
    }
    request.tremoloDepth = 0;
    request.vibratoDepth = 0;
    return 0;
}

} // namespace orlim::tivenor
