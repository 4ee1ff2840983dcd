#pragma once
// The bank file name at the end of a source plug-in's record.

#include <cstddef>
#include <cstring>
#include <string>

#include "plugin-api/Record.h"

namespace orlim::plugin {

// The NUL-terminated text at `offset` of `record`, read no further than the record's
// stated length, so a name without its terminator is cut at the end of the record.
// Empty when the record ends before `offset`.
inline std::string trailingText(const void* record, std::size_t offset)
{
    const std::size_t length = recordLength(record);
    if (length <= offset)
        return {};
    const char* text = static_cast<const char*>(record) + offset;
    const std::size_t room = length - offset;
    const void* nul = std::memchr(text, '\0', room);
    return std::string(text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : room);
}

} // namespace orlim::plugin
