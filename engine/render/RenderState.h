#pragma once
// What render passes share for the life of the library: the jitter sequence that
// offsets note starts, the effect plug-ins (loaded once per process), the note
// curves, and the two files of the "Sample" temporary folder opened at the first
// note. One pass runs at a time, so only its thread touches this.

#include <cstdint>
#include <memory>

#include "engine/render/NoteCurves.h"
#include "engine/render/PluginCache.h"

namespace orlim {

class RenderState {
public:
    RenderState() = default;
    ~RenderState();
    RenderState(const RenderState&) = delete;
    RenderState& operator=(const RenderState&) = delete;

    // The next step of the jitter sequence: 0 to 19 samples, 6 then 12 first.
    std::uint32_t nextJitter();

    // The effect cache, created by the first note rendered.
    PluginCache& effects();

    NoteCurves& curves() { return curves_; }

    // At the first note of the process: the folder "Sample" under the engine's
    // temporary path with its files "Index.tmp" and "Sample.tmp", created when
    // missing and kept open until the library is unloaded. Later calls do nothing.
    void openSampleFiles();

private:
    void closeSampleFiles();
    friend void resetRenderState();

    std::uint32_t jitter_ = 0;
    std::unique_ptr<PluginCache> effects_;
    NoteCurves curves_;
    bool sampleFilesOpened_ = false;
    int indexFile_ = -1;
    int sampleFile_ = -1;
};

// The library's one RenderState.
RenderState& renderState();

// Puts the shared state back as a freshly loaded library has it: the jitter sequence
// from its start, no effect library loaded, the sample files closed and to be opened
// again by the next note.
void resetRenderState();

} // namespace orlim
