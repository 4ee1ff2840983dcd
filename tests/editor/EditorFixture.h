#pragma once
// A started editor for one test: its own settings and temporary folders, a recorder
// for every message box, file dialogs answered by the test, and helpers to build
// document content through the engine.

#include <QApplication>
#include <QWidget>

#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/shell/CEditorApp.h"
#include "editor/shell/CMainFrame.h"
#include "editor/shell/ChildFrames.h"
#include "engine/include/durad.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QtWindow.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim::testing {

struct ReceivedMessage {
    std::uint32_t msg;
    WParam wParam;
    LParam lParam;
    bool operator==(const ReceivedMessage&) const = default;
};

// A window inside the editor that keeps every message it gets, as a view would.
class RecordingView final : public QWidget {
public:
    explicit RecordingView(QWidget* parent) : QWidget(parent) {}
    std::vector<ReceivedMessage> messages;
    std::vector<ReceivedMessage> messagesOf(std::uint32_t msg) const
    {
        std::vector<ReceivedMessage> found;
        for (const ReceivedMessage& m : messages)
            if (m.msg == msg)
                found.push_back(m);
        return found;
    }
    std::function<void(std::uint32_t)> onMessage;

private:
    QtWindow window_{this, [this](std::uint32_t m, WParam w, LParam l) {
                         messages.push_back({m, w, l});
                         if (onMessage)
                             onMessage(m);
                         return 0;
                     }};
};

// Settings and temporary folders of the test's own; the editor is not started yet.
class EditorEnvironment : public ::testing::Test {
protected:
    TempDir config;
    TempDir temp;
    ScopedEnvironment configDir{"ORLIM_CONFIG_DIR", config.path()};
    ScopedEnvironment tmpDir{"TMPDIR", temp.path()};
    QtPlatform platform;
    MessageBoxRecorder boxes;
};

class EditorTest : public EditorEnvironment {
protected:
    void SetUp() override
    {
        app = std::make_unique<CEditorApp>();
        app->initInstance();
        frame = app->mainFrame();
        music = app->documentMusic();
        frame->setFileDialog([this](QWidget*, const FileDialogRequest& request) {
            dialogs.push_back(request);
            std::optional<std::string> answer;
            if (!dialogAnswers.empty()) {
                answer = dialogAnswers.front();
                dialogAnswers.pop_front();
            }
            return answer;
        });
    }

    void TearDown() override
    {
        musEndPlay();
        app.reset();
    }

    // One recording view inside each child frame.
    std::vector<RecordingView*> addViews()
    {
        std::vector<RecordingView*> views;
        for (CChildFrame* child : {frame->staffChild(), frame->soundChild(), frame->studioChild()})
            views.push_back(new RecordingView(child->widget()));
        return views;
    }

    // A document that plays for several seconds: one long note.
    void addLongNote() { ASSERT_EQ(musInsertNote(music, 0, 0, 60, 512), 1); }

    std::unique_ptr<CEditorApp> app;
    CMainFrame* frame = nullptr;
    Durad* music = nullptr;
    std::vector<FileDialogRequest> dialogs;
    // Answers of the next file dialogs; nothing left means Cancel.
    std::deque<std::optional<std::string>> dialogAnswers;
};

// A source or effect record of the 76-byte head, with the library name and text.
inline std::vector<std::uint8_t> entryBytes(std::uint32_t start, std::uint32_t ticks,
                                            const char* fileName, const char* text, bool effect)
{
    std::vector<std::uint8_t> bytes(76, 0);
    const std::uint16_t length = 76;
    std::memcpy(bytes.data(), &length, 2);
    if (effect) {
        std::memcpy(bytes.data() + 4, &start, 4);
        std::memcpy(bytes.data() + 8, &ticks, 4);
    } else {
        std::memcpy(bytes.data() + 8, &start, 4);
    }
    std::strncpy(reinterpret_cast<char*>(bytes.data() + 12), fileName, 31);
    std::strncpy(reinterpret_cast<char*>(bytes.data() + 44), text, 31);
    return bytes;
}

inline std::vector<std::uint8_t> sourceEntry(std::uint32_t start, const char* text)
{
    return entryBytes(start, 0, "kestrow.dll", text, false);
}

} // namespace orlim::testing
