#include "platform/MessageBox.h"

#include <cstdio>
#include <cstdlib>

namespace orlim {
namespace {

std::mutex presenterMutex;
MessagePresenter installedPresenter;

MessageAnswer defaultAnswer(MessageButtons buttons)
{
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

MessageAnswer printToTerminal(const std::string& text, const std::string& caption,
                              MessageButtons buttons)
{
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    if (const char* log = std::getenv("ORLIM_MESSAGE_LOG"); log && *log) {
        if (std::FILE* file = std::fopen(log, "a")) {
            std::fprintf(file, "%s\t%s\n", caption.c_str(), text.c_str());
            std::fclose(file);
        }
    }
    return defaultAnswer(buttons);
}

} // namespace

MessageAnswer messageBox(WindowHandle parent, std::string_view text, std::string_view caption,
                         MessageButtons buttons)
{
    MessagePresenter presenter;
    {
        std::lock_guard lock(presenterMutex);
        presenter = installedPresenter;
    }
    const std::string ownText(text);
    const std::string ownCaption(caption);
    if (presenter)
        return presenter(parent, ownText, ownCaption, buttons);
    return printToTerminal(ownText, ownCaption, buttons);
}

MessagePresenter setMessagePresenter(MessagePresenter presenter)
{
    std::lock_guard lock(presenterMutex);
    MessagePresenter previous = std::move(installedPresenter);
    installedPresenter = std::move(presenter);
    return previous;
}

MessageBoxRecorder::MessageBoxRecorder()
{
    previous_ = setMessagePresenter([this](WindowHandle, const std::string& text,
                                           const std::string& caption, MessageButtons buttons) {
        std::lock_guard lock(mutex_);
        entries_.push_back({text, caption, buttons});
        return hasAnswer_ ? answer_ : defaultAnswer(buttons);
    });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    setMessagePresenter(std::move(previous_));
}

void MessageBoxRecorder::answerWith(MessageAnswer answer)
{
    std::lock_guard lock(mutex_);
    hasAnswer_ = true;
    answer_ = answer;
}

std::vector<MessageBoxRecorder::Entry> MessageBoxRecorder::entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<std::string> MessageBoxRecorder::texts() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    for (const Entry& entry : entries_)
        result.push_back(entry.text);
    return result;
}

void MessageBoxRecorder::clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

} // namespace orlim
