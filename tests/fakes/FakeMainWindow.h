#pragma once

#include "main_window/frmVacantor.h"
#include "platform/MainWindowControls.h"
#include "platform/MemoryResultList.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// The main window's controls as fakes that keep their state, and a message-box recorder that
// answers with scripted button ids.
class FakeMainWindow {
  public:
    struct BrowseCall {
        std::string title;
        std::intptr_t owner;
        std::intptr_t root;
        std::uint32_t flags;
        std::string startFolder;
    };

    struct Message {
        std::string text;
        std::string title;
        std::int32_t style;
        std::int32_t options;
    };

    class TextBox : public TextBoxControl {
      public:
        void SetText(const std::string& value) override { text = value; }
        void SetEnabled(bool value) override { enabled = value; }
        void SetOLEDropMode(int mode) override { oleDropMode = mode; }
        std::string text = "Text1";
        bool enabled = true;
        int oleDropMode = 0;
    };

    class Button : public ButtonControl {
      public:
        explicit Button(std::string initialCaption) : caption(std::move(initialCaption)) {}
        void SetCaption(const std::string& value) override { caption = value; }
        void SetEnabled(bool value) override { enabled = value; }
        std::string caption;
        bool enabled = true;
    };

    class CheckBox : public CheckBoxControl {
      public:
        int Value() const override { return value; }
        int value = 0;
    };

    class Form : public FormRuntime {
      public:
        void SetMousePointer(int pointer) override { mousePointer = pointer; }
        std::string AppPath() const override { return appPath; }
        void DoEvents() override {
            ++doEventsCalls;
            if (onDoEvents) {
                onDoEvents();
            }
        }
        void Close() override { closed = true; }
        std::string appPath;
        int mousePointer = 0;
        int doEventsCalls = 0;
        bool closed = false;
        std::function<void()> onDoEvents;
    };

    MainWindowControls Controls() {
        return MainWindowControls{form, txtFolder, cmdFind, cmdRemove, chkReadOnly, list};
    }

    ShowMessageBoxFunction MessageBoxRecorder() {
        return [this](const std::string& text, const std::string& title, std::int32_t style,
                      std::int32_t options) {
            messages.push_back(Message{text, title, style, options});
            if (onMessage) {
                onMessage(messages.back());
            }
            if (answers.empty()) {
                return std::int32_t{1};
            }
            std::int32_t answer = answers.front();
            answers.pop_front();
            return answer;
        };
    }

    // The services with this window's message-box recorder and folder-picker fake; the
    // scan pumps at every folder.
    MainWindowServices Services(FileSystem& fileSystem, ProfileFile& profileFile,
                                FolderRemoval& folderRemoval) {
        return MainWindowServices{
            fileSystem,
            profileFile,
            folderRemoval,
            MessageBoxRecorder(),
            [this](const std::string& title, std::intptr_t owner, std::intptr_t root,
                   std::uint32_t flags, const std::string& startFolder) {
                browseCalls.push_back(BrowseCall{title, owner, root, flags, startFolder});
                if (onBrowse) {
                    onBrowse();
                }
                return browseResult;
            },
            std::chrono::milliseconds(0)};
    }

    // The path cells of the list, in row order.
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> paths;
        for (const MemoryResultList::Row& row : list.Rows()) {
            paths.push_back(row.subItem1);
        }
        return paths;
    }

    Form form;
    TextBox txtFolder;
    Button cmdFind{"Find"};
    Button cmdRemove{"Remove"};
    CheckBox chkReadOnly;
    MemoryResultList list;

    std::vector<Message> messages;
    std::deque<std::int32_t> answers;              // button ids the boxes return, in order
    std::function<void(const Message&)> onMessage; // runs while a box is "shown"
    std::vector<BrowseCall> browseCalls;
    std::string browseResult;       // what the picker returns ("" for cancel)
    std::function<void()> onBrowse; // runs while the picker is "open" (may throw)
};
