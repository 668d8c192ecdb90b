#pragma once

#include "platform/ShellPlatform.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A scripted shell: SHBrowseForFolder sends the scripted notifications to the record's
// callback, writes the scripted display name and returns the scripted list. Some calls can
// be made to throw.
class FakeShellPlatform final : public ShellPlatform {
  public:
    enum class Call { None, SHGetPathFromIDList, SHFree, Send };
    struct Sent {
        WindowHandle window;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::string lParam;
        friend bool operator==(const Sent&, const Sent&) = default;
    };
    static constexpr WindowHandle Desktop = 0x10010;
    static constexpr WindowHandle Dialog = 0x20020;

    // Script.
    std::vector<std::uint32_t> notifications{BffmInitialized, BffmSelChanged};
    ItemIdList chosenList = 0;       // 0: the user cancels
    std::string displayName;         // written into the record's buffer when not empty
    std::optional<std::string> path; // none: the item has no file-system path
    Call failingCall = Call::None;

    // Record.
    std::optional<WindowHandle> owner; // of the dialog, once shown
    std::vector<Sent> sent;
    std::vector<ItemIdList> freed;

    WindowHandle GetDesktopWindow() override { return Desktop; }
    ItemIdList SHBrowseForFolder(const BrowseInfo& info) override {
        owner = info.hwndOwner;
        for (std::uint32_t message : info.lpfn ? notifications : std::vector<std::uint32_t>{}) {
            info.lpfn(*this, Dialog, message, 0, info.lParam);
        }
        if (!displayName.empty()) {
            info.pszDisplayName->replace(0, displayName.size(), displayName);
        }
        return chosenList;
    }
    std::int32_t SHGetPathFromIDList(ItemIdList, std::string& buffer) override {
        FailIf(Call::SHGetPathFromIDList);
        if (path) {
            buffer.replace(0, path->size() + 1, *path + '\0');
        }
        return path ? 1 : 0;
    }
    void SHFree(ItemIdList list) override {
        freed.push_back(list);
        FailIf(Call::SHFree);
    }
    std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              const std::string& lParam) override {
        sent.push_back({window, message, wParam, lParam});
        FailIf(Call::Send);
        return 1;
    }

  private:
    void FailIf(Call call) const {
        if (call == failingCall) {
            throw std::runtime_error("shell call failed");
        }
    }
};
