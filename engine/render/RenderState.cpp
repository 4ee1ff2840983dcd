#include "engine/render/RenderState.h"

#include <fcntl.h>
#include <unistd.h>

#include "engine/render/TempPath.h"
#include "platform/Files.h"

namespace orlim {
namespace {

int openReadWrite(const std::string& path)
{
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
}

} // namespace

RenderState::~RenderState()
{
    closeSampleFiles();
}

std::uint32_t RenderState::nextJitter()
{
    jitter_ = (jitter_ + 86235313u) % 1000u;
    return jitter_ / 50;
}

PluginCache& RenderState::effects()
{
    if (!effects_)
        effects_ = std::make_unique<PluginCache>(PluginCache::Kind::Effect);
    return *effects_;
}

void RenderState::openSampleFiles()
{
    if (sampleFilesOpened_)
        return;
    sampleFilesOpened_ = true;
    const std::string folder = engineTempFolder("Sample");
    if (!createFolder(folder))
        return;
    indexFile_ = openReadWrite(folder + "/Index.tmp");
    sampleFile_ = openReadWrite(folder + "/Sample.tmp");
}

void RenderState::closeSampleFiles()
{
    for (int* file : {&indexFile_, &sampleFile_}) {
        if (*file >= 0)
            ::close(*file);
        *file = -1;
    }
}

RenderState& renderState()
{
    // Destroyed when the library is unloaded: the effect libraries are freed and the
    // sample files closed then.
    static RenderState state;
    return state;
}

void resetRenderState()
{
    RenderState& state = renderState();
    state.jitter_ = 0;
    state.effects_.reset();
    state.closeSampleFiles();
    state.sampleFilesOpened_ = false;
}

} // namespace orlim
