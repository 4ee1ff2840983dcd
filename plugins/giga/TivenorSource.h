#pragma once
// tivenor's sample path: for one note of a SourceEntry it selects an instrument of the
// Giga bank by bank and program and a region by key and velocity, fills the request's
// output fields with the region's wave and a simplified envelope, and hands out the
// wave's first channel. A bank's structure is read once per file version and recently
// used points are kept within a fixed budget; the answers, errors included, are those
// of a walk through the file itself.

#include <cstdint>
#include <mutex>
#include <string>

#include "plugin-api/Entries.h"
#include "plugin-api/SampleRequest.h"
#include "plugins/common/BankCache.h"
#include "plugins/common/ErrorTexts.h"
#include "plugins/common/LibraryFolder.h"
#include "plugins/common/SampleCache.h"
#include "plugins/giga/GigaBank.h"
#include "plugins/giga/TivenorErrors.h"
#include "plugins/giga/TivenorRecord.h"

namespace orlim::tivenor {

// Bytes of sample points kept between notes.
inline constexpr std::size_t kSampleCacheBytes = 64u << 20;
// Bank structures kept between notes.
inline constexpr std::size_t kBankCacheSize = 4;
// Points handed out beyond the end of a wave, for the resampler's look-ahead after
// the loop end: the loop's continuation when the wave loops, else silence.
inline constexpr std::uint32_t kExtraPoints = 5;

// The sample path on a bank already read: fills the output fields of `request` and
// gives the points in `block` (from `cache` when it has them); 0 or an error number.
int produceSample(GigaBank& bank, const TivenorSettings& settings, SampleRequest& request,
                  plugin::SampleCache& cache, plugin::SampleBlock& block);

class TivenorSource {
public:
    // `libraryFolder` ends with "/"; bank file names are relative to it.
    explicit TivenorSource(std::string libraryFolder);

    // Fills the output fields of `request` for `entry` and returns the sample block,
    // valid until the next call; null on failure, with the error number set. A
    // success leaves the last error as it was. Callable from any thread; calls are
    // serialised.
    const void* getSample(const SourceEntry* entry, SampleRequest* request) noexcept;

    // The text of the last error, or null when no call has failed yet.
    const char* lastError() const noexcept { return errors_.text(); }
    int lastErrorNumber() const noexcept { return errors_.number(); }

    // How many times a bank's structure was read from its file.
    std::uint64_t bankReads() const;
    std::size_t sampleBytesCached() const;

private:
    int produce(const TivenorSettings& settings, SampleRequest& request);

    mutable std::mutex mutex_;
    const std::string folder_;
    plugin::BankFinder finder_;
    plugin::BankCache<GigaBank> banks_{kBankCacheSize};
    plugin::SampleCache samples_{kSampleCacheBytes};
    // What the last successful call returned; kept alive until the next call.
    plugin::SampleBlock current_;
    plugin::ErrorTexts errors_{kErrorTexts};
};

} // namespace orlim::tivenor
