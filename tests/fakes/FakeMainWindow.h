#pragma once

#include "main_window/frmVacantor.h"
#include "platform/MainWindowControls.h"
#include "platform/MemoryResultList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The main window's controls as fakes that keep their state; message boxes are recorded and
// answered Yes to a question, OK otherwise.
class FakeMainWindow {
  public:
    class TextBox : public TextBoxControl {
      public:
        void SetText(const std::string& value) override { text = value; }
        void SetEnabled(bool value) override { enabled = value; }
        void SetOLEDropMode(int) override {}
        std::string text;
        bool enabled = true;
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
        int Value() const override { return 0; }
    };

    class Form : public FormRuntime {
      public:
        void SetMousePointer(int pointer) override { mousePointer = pointer; }
        std::string AppPath() const override { return appPath; }
        void DoEvents() override {
            if (onDoEvents) {
                onDoEvents();
            }
        }
        void Close() override { closed = true; }
        std::string appPath;
        int mousePointer = 0;
        bool closed = false;
        std::function<void()> onDoEvents;
    };

    MainWindowControls Controls() {
        return MainWindowControls{form, txtFolder, cmdFind, cmdRemove, chkReadOnly, list};
    }

    // The services with this window's message boxes and folder picker; the scan pumps at
    // every folder.
    MainWindowServices Services(FileSystem& fileSystem, ProfileFile& profileFile,
                                FolderRemoval& folderRemoval) {
        return MainWindowServices{
            fileSystem,
            profileFile,
            folderRemoval,
            [this](const std::string& text, const std::string&, std::int32_t, std::int32_t) {
                messages.push_back(text);
                return text.back() == '?' ? std::int32_t{6} : std::int32_t{1};
            },
            [this](const std::string&, std::intptr_t, std::intptr_t, std::uint32_t,
                   const std::string& startFolder) {
                pickerStartFolders.push_back(startFolder);
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

    std::vector<std::string> messages; // the texts of the boxes shown, in order
    std::vector<std::string> pickerStartFolders;
    std::string browseResult;       // what the picker returns ("" for cancel)
    std::function<void()> onBrowse; // runs while the picker is "open" (may throw)
};
