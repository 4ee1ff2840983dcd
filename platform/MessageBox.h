#pragma once
// Modal message boxes. The Qt side installs a presenter that shows a real box on
// the UI thread; headless code prints the text; tests install a recorder.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Window.h"

namespace orlim {

enum class MessageButtons { Ok, YesNo, OkCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The caption of the editor's and the engine's own boxes.
inline constexpr std::string_view kOrlimCaption = "Orlim";

using MessagePresenter = std::function<MessageAnswer(
    WindowHandle parent, const std::string& text, const std::string& caption, MessageButtons)>;

// Shows a box and waits for the answer. Callable from any thread. Without an
// installed presenter the text goes to stderr (and, when ORLIM_MESSAGE_LOG names a
// file, is appended to it) and the answer is OK, or Yes for a question.
MessageAnswer messageBox(WindowHandle parent, std::string_view text,
                         std::string_view caption = kOrlimCaption,
                         MessageButtons buttons = MessageButtons::Ok);

// Installs the presenter used by every module of the process; an empty function
// restores the headless default. Returns the previous presenter.
MessagePresenter setMessagePresenter(MessagePresenter presenter);

// Records every box while it lives and answers with `answer` (or the default
// answer of the buttons when none is given). Restores the previous presenter.
class MessageBoxRecorder {
public:
    struct Entry {
        std::string text;
        std::string caption;
        MessageButtons buttons;
    };

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void answerWith(MessageAnswer answer);
    std::vector<Entry> entries() const;
    std::vector<std::string> texts() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    bool hasAnswer_ = false;
    MessageAnswer answer_ = MessageAnswer::Ok;
    MessagePresenter previous_;
};

} // namespace orlim
