#pragma once
// A plug-in's last error: a number into its fixed table of texts, or -1 for none.
// The number is set on the render thread by the sample path and read back there by
// srcGetLastError; it is atomic so that a dialog on the UI thread may look too.

#include <atomic>
#include <cstddef>
#include <span>

namespace orlim::plugin {

class ErrorTexts {
public:
    // texts[0] is the text of error 1.
    explicit ErrorTexts(std::span<const char* const> texts) noexcept : texts_(texts) {}

    void set(int number) noexcept { number_.store(number); }
    void clear() noexcept { number_.store(-1); }
    int number() const noexcept { return number_.load(); }

    // The text of the last error, or null when there is none.
    const char* text() const noexcept { return textOf(number_.load()); }
    // The text of error `number`, or null when the table has none.
    const char* textOf(int number) const noexcept
    {
        if (number < 1 || static_cast<std::size_t>(number) > texts_.size())
            return nullptr;
        return texts_[static_cast<std::size_t>(number) - 1];
    }

private:
    std::span<const char* const> texts_;
    std::atomic<int> number_{-1};
};

} // namespace orlim::plugin
