#pragma once
// kestrow's sample path: for one note of a SourceEntry it selects a preset zone, an
// instrument zone and a sample of the bank, fills the request's output fields and
// hands out the sample's points. A bank's structure is read once per file version and
// recently used points are kept within a fixed budget; the answers, errors included,
// are those of a walk through the file itself.

#include <cstdint>
#include <mutex>
#include <string>

#include "plugin-api/Entries.h"
#include "plugin-api/SampleRequest.h"
#include "plugins/common/BankCache.h"
#include "plugins/common/ErrorTexts.h"
#include "plugins/common/LibraryFolder.h"
#include "plugins/common/SampleCache.h"
#include "plugins/soundfont/KestrowErrors.h"
#include "plugins/soundfont/KestrowRecord.h"
#include "plugins/soundfont/SoundFontBank.h"

namespace orlim::kestrow {

// Bytes of sample points kept between notes.
inline constexpr std::size_t kSampleCacheBytes = 64u << 20;
// Bank structures kept between notes.
inline constexpr std::size_t kBankCacheSize = 4;
// Points handed out beyond the end of a sample, for the resampler's look-ahead.
inline constexpr std::uint32_t kExtraPoints = 48;

// The sample path on a bank already read: fills the output fields of `request` and
// gives the points in `block` (from `cache` when it has them); 0 or an error number.
int produceSample(SoundFontBank& bank, const KestrowSettings& settings, SampleRequest& request,
                  plugin::SampleCache& cache, plugin::SampleBlock& block);

class KestrowSource {
public:
    // `libraryFolder` ends with "/"; bank file names are relative to it.
    explicit KestrowSource(std::string libraryFolder);

    // Fills the output fields of `request` for `entry` and returns the sample block,
    // valid until the next call; null on failure, with the error number set.
    // Callable from any thread; calls are serialised.
    const void* getSample(const SourceEntry* entry, SampleRequest* request) noexcept;

    // The text of the last call's failure, or null after a success.
    const char* lastError() const noexcept { return errors_.text(); }
    int lastErrorNumber() const noexcept { return errors_.number(); }

    // How many times a bank's structure was read from its file.
    std::uint64_t bankReads() const;
    std::size_t sampleBytesCached() const;

private:
    int produce(const KestrowSettings& settings, SampleRequest& request);

    mutable std::mutex mutex_;
    const std::string folder_;
    plugin::BankFinder finder_;
    plugin::BankCache<SoundFontBank> banks_{kBankCacheSize};
    plugin::SampleCache samples_{kSampleCacheBytes};
    // What the last successful call returned; kept alive until the next call.
    plugin::SampleBlock current_;
    plugin::ErrorTexts errors_{kErrorTexts};
};

} // namespace orlim::kestrow
