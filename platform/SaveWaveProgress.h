#pragma once
// The progress display of saving a wave file. The saving code drives it from the
// thread that waits for the render (the user-interface thread): open, then a position
// every half second, then close. The editor installs a dialog; without one, a bar is
// drawn on stderr when stderr is a terminal, and nothing is shown otherwise.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orlim {

class SaveWaveProgress {
public:
    virtual ~SaveWaveProgress() = default;

    // Shows the file's path and a range of 0..maximum bytes, at 0.
    virtual void open(const std::string& path, std::uint64_t maximum) = 0;
    // Moves to `bytes` (which may pass the maximum) and shows `percentText`, such as
    // "42%" or "100%".
    virtual void position(std::uint64_t bytes, const std::string& percentText) = 0;
    // Lets the user interface run for up to `milliseconds` while the render goes on.
    virtual void idle(int milliseconds) = 0;
    // True once the user has asked to cancel.
    virtual bool cancelled() = 0;
    // Takes the display down.
    virtual void close() = 0;
};

using SaveWaveProgressFactory = std::function<std::unique_ptr<SaveWaveProgress>()>;

// Installs the factory of the displays used from now on; an empty one restores the
// terminal bar. Returns the previous factory.
SaveWaveProgressFactory setSaveWaveProgressFactory(SaveWaveProgressFactory factory);

// A display from the installed factory, or the terminal bar.
std::unique_ptr<SaveWaveProgress> makeSaveWaveProgress();

} // namespace orlim
