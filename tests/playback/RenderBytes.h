#pragma once
// The reference a saved or played wave is compared with: the bytes one render pass
// writes for the request, run on the calling thread from a fresh jitter sequence.

#include <string>

#include <gtest/gtest.h>

#include "engine/render/RenderContext.h"
#include "engine/render/RenderPass.h"
#include "engine/render/RenderState.h"

namespace orlim::testing {

inline std::string renderBytes(PlayRequest& request)
{
    resetRenderState();
    RenderContext context;
    EXPECT_TRUE(renderSynchronously(context, request));
    if (!context.stream)
        return {};
    std::string bytes(static_cast<std::size_t>(context.renderedBytes), '\0');
    EXPECT_EQ(context.stream->read(bytes.data(), bytes.size()), bytes.size());
    return bytes;
}

} // namespace orlim::testing
