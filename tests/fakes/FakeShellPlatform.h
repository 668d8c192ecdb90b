#pragma once

#include "platform/ShellPlatform.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A scripted shell: SHBrowseForFolder sends the scripted notifications to the record's
// callback, writes the scripted display name and returns the scripted list. Every call is
// recorded; any one of them can be made to throw.
class FakeShellPlatform final : public ShellPlatform {
  public:
    enum class Call {
        None,
        GetDesktopWindow,
        SHBrowseForFolder,
        SHGetPathFromIDList,
        SHFree,
        SendMessage
    };

    struct SeenRecord {
        WindowHandle hwndOwner;
        ItemIdList pidlRoot;
        std::string displayNameBuffer; // as handed to the shell
        std::string lpszTitle;
        std::uint32_t ulFlags;
        bool hasCallback;
        std::optional<std::string> lParam;
    };
    struct SentMessage {
        WindowHandle window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::string lParam;
    };

    // Script.
    WindowHandle desktopWindow = 0x10010;
    WindowHandle dialogWindow = 0x20020;
    std::vector<std::uint32_t> notifications{BffmInitialized, BffmSelChanged};
    ItemIdList chosenList = 0;       // 0: the user cancels
    std::string displayName;         // written into the record's buffer when not empty
    std::optional<std::string> path; // none: the item has no file-system path
    Call failingCall = Call::None;

    // Record.
    std::vector<SeenRecord> records;
    std::vector<SentMessage> sent;
    std::vector<ItemIdList> pathQueries;
    std::vector<std::size_t> pathBufferSizes;
    std::vector<ItemIdList> freed;

    WindowHandle GetDesktopWindow() override {
        FailIf(Call::GetDesktopWindow);
        return desktopWindow;
    }

    ItemIdList SHBrowseForFolder(const BrowseInfo& info) override {
        records.push_back({info.hwndOwner, info.pidlRoot,
                           info.pszDisplayName ? *info.pszDisplayName : std::string("<none>"),
                           info.lpszTitle, info.ulFlags, info.lpfn != nullptr,
                           info.lParam ? std::optional<std::string>(*info.lParam) : std::nullopt});
        FailIf(Call::SHBrowseForFolder);
        if (info.lpfn != nullptr) {
            for (std::uint32_t message : notifications) {
                info.lpfn(*this, dialogWindow, message, 0, info.lParam);
            }
        }
        if (!displayName.empty() && info.pszDisplayName != nullptr) {
            info.pszDisplayName->replace(0, displayName.size(), displayName);
        }
        return chosenList;
    }

    std::int32_t SHGetPathFromIDList(ItemIdList list, std::string& buffer) override {
        pathQueries.push_back(list);
        pathBufferSizes.push_back(buffer.size());
        FailIf(Call::SHGetPathFromIDList);
        if (!path) {
            return 0;
        }
        buffer.replace(0, path->size() + 1, *path + '\0');
        return 1;
    }

    void SHFree(ItemIdList list) override {
        freed.push_back(list);
        FailIf(Call::SHFree);
    }

    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              const std::string& lParam) override {
        sent.push_back({window, message, wParam, lParam});
        FailIf(Call::SendMessage);
        return 1;
    }

  private:
    void FailIf(Call call) const {
        if (call == failingCall) {
            throw std::runtime_error("shell call failed");
        }
    }
};
