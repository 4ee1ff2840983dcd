#pragma once
// What every fuzz target shares.

#include <cstdlib>

#include "platform/MessageBox.h"

namespace orlim::fuzz {

// Answers every message box at once without printing it, for the whole run: readers
// report bad input in boxes, and the fuzzer feeds nothing else.
inline void silenceMessageBoxes()
{
    static const bool silenced = [] {
        setMessagePresenter([](WindowHandle, const std::string&, const std::string&, MessageButtons) {
            return MessageAnswer::Ok;
        });
        return true;
    }();
    (void)silenced;
}

// Stops the run with a crash the fuzzer records when an expectation does not hold.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace orlim::fuzz
