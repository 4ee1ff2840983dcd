#include "plugins/soundfont/KestrowSource.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "plugins/common/SourceMath.h"
#include "plugins/soundfont/Generators.h"

namespace orlim::kestrow {
namespace {

using plugin::addCounts;
using plugin::floorCount;
using plugin::kMaxCutoff;

// One level of the bank's hierarchy: presets with their instruments, or instruments
// with their samples.
struct Level {
    const std::optional<Table>& bags;
    const std::optional<std::uint32_t>& modulatorBytes;
    const std::optional<Table>& generators;
    Error bagError;
    Error modulatorError;
    Error generatorError;
    Generator terminator;
};

// The first zone of bags [first, end) that ends with the level's terminating
// generator and whose key and velocity ranges hold the note; 0 or an error number.
int findZone(const Level& level, std::uint16_t first, std::uint16_t end, int pitch, int velocity,
             Zone& found)
{
    for (std::size_t index = first; index < end; ++index) {
        if (!level.bags || !level.bags->has(index + 1, kBagSize))
            return level.bagError;
        const Bag here = bag(*level.bags, index);
        const Bag next = bag(*level.bags, index + 1);
        // The modulators are skipped, but they must lie inside their chunk.
        if (!level.modulatorBytes)
            return level.modulatorError;
        if (next.modulatorIndex > here.modulatorIndex &&
            std::uint64_t{next.modulatorIndex} * kModulatorSize > *level.modulatorBytes)
            return level.modulatorError;
        if (!level.generators)
            return level.generatorError;
        std::optional<Zone> zone = readZone(level.generators->bytes, here.generatorIndex,
                                            next.generatorIndex, level.terminator);
        if (!zone)
            return level.generatorError;
        const GeneratorSet& g = zone->generators;
        if (zone->terminated && g.keyLow <= pitch && pitch <= g.keyHigh && g.velocityLow <= velocity &&
            velocity <= g.velocityHigh) {
            found = *zone;
            return 0;
        }
    }
    return kNoMatchingSample;
}

// 2^(timecents / 1200) x rate, as a count of samples.
std::uint32_t samplesOf(double timecents, std::uint32_t rate)
{
    return floorCount(std::pow(2.0, timecents / 1200.0) * rate);
}

// 8176 x 2^(cents / 1200), in mHz.
std::uint32_t absoluteFrequency(double cents)
{
    return floorCount(8176.0 * std::pow(2.0, cents / 1200.0));
}

} // namespace

KestrowSource::KestrowSource(std::string libraryFolder) : folder_(std::move(libraryFolder)) {}

std::uint64_t KestrowSource::bankReads() const
{
    std::lock_guard lock(mutex_);
    return banks_.loads();
}

std::size_t KestrowSource::sampleBytesCached() const
{
    std::lock_guard lock(mutex_);
    return samples_.bytesHeld();
}

const void* KestrowSource::getSample(const SourceEntry* entry, SampleRequest* request) noexcept
{
    std::lock_guard lock(mutex_);
    errors_.clear();
    current_.reset();
    if (!request) {
        errors_.set(kNoMatchingSample);
        return nullptr;
    }
    int error = 0;
    try {
        error = produce(decodeRecord(entry), *request);
    } catch (const std::bad_alloc&) {
        error = kNoMemory;
    }
    if (error != 0) {
        errors_.set(error);
        current_.reset();
        return nullptr;
    }
    return current_->data();
}

int KestrowSource::produce(const KestrowSettings& settings, SampleRequest& request)
{
    const plugin::BankFinder::Found file = finder_.find(folder_, settings.bankFile);
    const std::shared_ptr<SoundFontBank> bank = banks_.get(file.path, file.identity, &SoundFontBank::open);
    if (!bank)
        return kCantOpen;
    return produceSample(*bank, settings, request, samples_, current_);
}

int produceSample(SoundFontBank& bank, const KestrowSettings& settings, SampleRequest& request,
                  plugin::SampleCache& cache, plugin::SampleBlock& block)
{
    const int velocity = plugin::velocityFromLoudness(request.loudness);
    if (bank.formError != 0)
        return bank.formError;

    // Preset: the first header, terminal record excluded, with the entry's bank and number.
    if (!bank.phdr)
        return kNoPhdr;
    const Table& phdr = *bank.phdr;
    const std::size_t presetCount = phdr.count(kPresetHeaderSize);
    std::size_t presetIndex = 0;
    while (presetIndex + 1 < presetCount) {
        const PresetHeader header = presetHeader(phdr, presetIndex);
        if (header.bank == static_cast<std::uint16_t>(settings.bank) &&
            header.preset == static_cast<std::uint16_t>(settings.preset))
            break;
        ++presetIndex;
    }
    if (presetIndex + 1 >= presetCount)
        return kNoPhdr;

    const int pitch = request.pitch;
    Zone presetZone;
    const Level presets{bank.pbag, bank.pmodBytes, bank.pgen, kNoPbag, kNoPmod, kNoPgen, Instrument};
    if (const int error = findZone(presets, presetHeader(phdr, presetIndex).bagIndex,
                                   presetHeader(phdr, presetIndex + 1).bagIndex, pitch, velocity,
                                   presetZone))
        return error;

    const std::size_t instrumentIndex = presetZone.target;
    if (!bank.inst || !bank.inst->has(instrumentIndex + 1, kInstrumentSize))
        return kNoInst;
    Zone instrumentZone;
    const Level instruments{bank.ibag, bank.imodBytes, bank.igen, kNoIbag, kNoImod, kNoIgen, SampleId};
    if (const int error = findZone(instruments, instrumentHeader(*bank.inst, instrumentIndex).bagIndex,
                                   instrumentHeader(*bank.inst, instrumentIndex + 1).bagIndex, pitch,
                                   velocity, instrumentZone))
        return error;

    const std::size_t sampleIndex = instrumentZone.target;
    if (!bank.shdr || !bank.shdr->has(sampleIndex, kSampleHeaderSize))
        return kNoShdr;
    const SampleHeader sample = sampleHeader(*bank.shdr, sampleIndex);
    // ROM samples and linked types cannot be played from the file.
    if (sample.sampleType > 32768)
        return kBadSample;
    if (!bank.hasSdta)
        return kNoSdta;

    const GeneratorSet& I = instrumentZone.generators;
    const GeneratorSet& P = presetZone.generators;
    const std::uint32_t rate = request.outRate;

    // Envelope: delay, attack and release only.
    request.noteOff = request.totalSamples;
    if (const auto release = combined(I, P, ReleaseVolEnv))
        request.totalSamples = addCounts(request.totalSamples, samplesOf(*release, rate));
    const auto delay = combined(I, P, DelayVolEnv);
    const auto attack = combined(I, P, AttackVolEnv);
    request.delayEnd = delay ? std::max<std::uint32_t>(1, samplesOf(*delay, rate)) : 0;
    request.attackEnd =
        attack ? addCounts(request.delayEnd, std::max<std::uint32_t>(1, samplesOf(*attack, rate)))
               : request.delayEnd;
    request.holdEnd = 0;
    request.decayEnd = 0;
    request.levelStart = (delay || attack) ? -9600 : 0;
    request.levelAttack = 0;
    request.levelHold = 0;
    request.levelDecay = 0;
    request.levelNoteOff = 0;

    // Addresses, in points of "smpl"; 64 bits so that no offset wraps.
    const std::int64_t start = std::int64_t{sample.start} + summed(I, P, StartAddrsOffset) +
                               32768LL * summed(I, P, StartAddrsCoarseOffset);
    const std::int64_t end = std::int64_t{sample.end} + summed(I, P, EndAddrsOffset) +
                             32768LL * summed(I, P, EndAddrsCoarseOffset);
    const std::int64_t loopStart = std::int64_t{sample.loopStart} + summed(I, P, StartloopAddrsOffset) +
                                   32768LL * summed(I, P, StartloopAddrsCoarseOffset);
    const std::int64_t loopEnd = std::int64_t{sample.loopEnd} + summed(I, P, EndloopAddrsOffset) +
                                 32768LL * summed(I, P, EndloopAddrsCoarseOffset);
    const std::int64_t length = end - start;
    request.startOffset = 0;
    request.sampleLength = static_cast<std::uint32_t>(length);
    request.sampleBytes = 2;
    request.sampleRate = sample.sampleRate;
    const std::int64_t relativeLoopStart = loopStart - start;
    const std::int64_t relativeLoopEnd = loopEnd - start;
    if (relativeLoopStart < 0 || relativeLoopEnd < 0 || relativeLoopStart > length ||
        relativeLoopEnd > length) {
        // Loop points outside the sample: it plays once.
        request.loopStart = 0;
        request.loopEnd = 0;
    } else {
        request.loopStart = static_cast<std::uint32_t>(relativeLoopStart);
        request.loopEnd = static_cast<std::uint32_t>(relativeLoopEnd);
    }

    request.attenuation = plugin::saturateToInt16(
        10LL * (I[InitialAttenuation] + P[InitialAttenuation]) + settings.attenuationOffset);

    if ((settings.bank == kDrumBank && request.loopStart < 32) || I[SampleModes] == 0 ||
        request.loopEnd < 32)
        request.loopEnd = 0;

    if (I[ScaleTuning] != 0) {
        const int rootKey = I[OverridingRootKey];
        const int base = (rootKey >= 0 && rootKey <= 127) ? rootKey * 100 : sample.originalPitch * 100;
        // 16-bit arithmetic, as the field holds it.
        request.rootPitch = static_cast<std::int16_t>(
            base - sample.pitchCorrection - 100 * (I[CoarseTune] + P[CoarseTune]) -
            (P[FineTune] + I[FineTune]) - settings.pitchOffset);
    } else {
        // Without scale tuning the sample plays at its recorded speed for every pitch.
        request.rootPitch = request.pitch;
    }

    const auto filter = combined(I, P, InitialFilterFc);
    if (settings.bank == kDrumBank) {
        request.cutoff = filter ? std::min(absoluteFrequency(*filter), kMaxCutoff) : kMaxCutoff;
    } else if (settings.cutoffMode & kCutoffDefault) {
        if (filter) {
            const std::uint32_t c0 = absoluteFrequency(*filter);
            const double shift = std::pow(2.0, (request.pitch - request.rootPitch) / 1200.0);
            request.cutoff = std::min(floorCount(shift * c0), kMaxCutoff);
        } else {
            request.cutoff = kMaxCutoff;
        }
    } else if (settings.cutoffMode & kCutoffFixed) {
        request.cutoff = std::min(settings.fixedCutoff * 1000u, kMaxCutoff);
    } else {
        request.cutoff = plugin::relativeCutoff(request.pitch, settings.relativeCutoff);
    }

    const auto tremoloDelay = combined(I, P, DelayModLfo);
    const auto tremoloRate = combined(I, P, FreqModLfo);
    const auto tremoloDepth = combined(I, P, ModLfoToVolume);
    request.tremoloDelay = tremoloDelay ? samplesOf(*tremoloDelay, rate) : 0;
    request.tremoloRate = tremoloRate ? absoluteFrequency(*tremoloRate) : 0;
    request.tremoloDepth = tremoloDepth ? plugin::truncateToInt16(10.0 * *tremoloDepth) : 0;
    const auto vibratoDelay = combined(I, P, DelayVibLfo);
    const auto vibratoRate = combined(I, P, FreqVibLfo);
    const auto vibratoDepth = combined(I, P, VibLfoToPitch);
    request.vibratoDelay = vibratoDelay ? samplesOf(*vibratoDelay, rate) : 0;
    request.vibratoRate = vibratoRate ? absoluteFrequency(*vibratoRate) : 0;
    request.vibratoDepth = vibratoDepth ? plugin::truncateToInt16(*vibratoDepth) : 0;

    // The points: the sample itself must lie inside "smpl"; the extra points after it
    // are whatever follows in the file, and zero past the file's end.
    if (!bank.smpl)
        return kNoSmpl;
    if (start < 0 || start >= end || static_cast<std::uint64_t>(end) > bank.smpl->size / 2)
        return kBadSample;
    const std::uint64_t offset = bank.smpl->dataOffset + 2 * static_cast<std::uint64_t>(start);
    const std::uint64_t bytes = 2 * (static_cast<std::uint64_t>(length) + kExtraPoints);
    const plugin::SampleKey key{bank.version, offset, bytes};
    block = cache.find(key);
    if (!block) {
        auto points = std::make_shared<std::vector<std::uint8_t>>(bytes + 1);
        if (bank.readAt(offset, points->data(), bytes) < 2 * static_cast<std::uint64_t>(length))
            return kBadSample; // the file was cut short since it was read
        block = points;
        cache.insert(key, block);
    }
    return 0;
}

} // namespace orlim::kestrow
