#pragma once

#include "main_window/frmVacantor.h"
#include "platform/MainWindowControls.h"
#include "platform/MemoryResultList.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// The main window's controls as fakes that write every change into one event log, so that
// a test can check the order of the busy protocol, and a message-box recorder that answers
// with scripted button ids.
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
        explicit TextBox(FakeMainWindow& window) : window_(window) {}
        void SetText(const std::string& value) override {
            text = value;
            window_.Log("txtFolder.Text=" + value);
        }
        void SetEnabled(bool value) override {
            enabled = value;
            window_.Log(std::string("txtFolder.Enabled=") + (value ? "1" : "0"));
        }
        void SetOLEDropMode(int mode) override { oleDropMode = mode; }
        std::string text = "Text1";
        bool enabled = true;
        int oleDropMode = 0;

      private:
        FakeMainWindow& window_;
    };

    class Button : public ButtonControl {
      public:
        Button(FakeMainWindow& window, std::string name, std::string initialCaption)
            : caption(std::move(initialCaption)), window_(window), name_(std::move(name)) {}
        void SetCaption(const std::string& value) override {
            caption = value;
            window_.Log(name_ + ".Caption=" + value);
        }
        void SetEnabled(bool value) override {
            enabled = value;
            window_.Log(name_ + ".Enabled=" + (value ? "1" : "0"));
        }
        std::string caption;
        bool enabled = true;

      private:
        FakeMainWindow& window_;
        std::string name_;
    };

    class CheckBox : public CheckBoxControl {
      public:
        int Value() const override { return value; }
        int value = 0;
    };

    class Form : public FormRuntime {
      public:
        explicit Form(FakeMainWindow& window) : window_(window) {}
        void SetMousePointer(int pointer) override {
            mousePointer = pointer;
            window_.Log("MousePointer=" + std::to_string(pointer));
        }
        std::string AppPath() const override { return appPath; }
        void DoEvents() override {
            ++doEventsCalls;
            if (onDoEvents) {
                onDoEvents();
            }
        }
        void Close() override {
            closed = true;
            window_.Log("Close");
        }
        std::string appPath;
        int mousePointer = 0;
        int doEventsCalls = 0;
        bool closed = false;
        std::function<void()> onDoEvents;

      private:
        FakeMainWindow& window_;
    };

    MainWindowControls Controls() {
        return MainWindowControls{form, txtFolder, cmdFind, cmdRemove, chkReadOnly, list};
    }

    ShowMessageBoxFunction MessageBoxRecorder() {
        return [this](const std::string& text, const std::string& title, std::int32_t style,
                      std::int32_t options) {
            messages.push_back(Message{text, title, style, options});
            Log("Message " + text);
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

    void Log(const std::string& event) { events.push_back(event); }

    // The path cells of the list, in row order.
    std::vector<std::string> ListedPaths() const {
        std::vector<std::string> paths;
        for (const MemoryResultList::Row& row : list.Rows()) {
            paths.push_back(row.subItem1);
        }
        return paths;
    }

    Form form{*this};
    TextBox txtFolder{*this};
    Button cmdFind{*this, "cmdFind", "Find"};
    Button cmdRemove{*this, "cmdRemove", "Remove"};
    CheckBox chkReadOnly;
    MemoryResultList list;

    std::vector<std::string> events;
    std::vector<Message> messages;
    std::deque<std::int32_t> answers;              // button ids the boxes return, in order
    std::function<void(const Message&)> onMessage; // runs while a box is "shown"
    std::vector<BrowseCall> browseCalls;
    std::string browseResult;       // what the picker returns ("" for cancel)
    std::function<void()> onBrowse; // runs while the picker is "open" (may throw)
};
