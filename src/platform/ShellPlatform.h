#pragma once

#include "platform/WindowHandle.h"

#include <cstdint>
#include <memory>
#include <string>

class ShellPlatform;

// The shell's item identifier list of a chosen item, an opaque number to the logic (0 for
// none).
using ItemIdList = std::uintptr_t;

// Notification callback of the browse dialog. `startFolder` is the record's lParam.
using BrowseCallback = std::int32_t (*)(ShellPlatform& shell, WindowHandle window,
                                        std::uint32_t message, std::intptr_t argument,
                                        const std::string* startFolder);

// The browse-information record handed to the shell's browse-for-folder dialog.
struct BrowseInfo {
    WindowHandle hwndOwner = 0;
    ItemIdList pidlRoot = 0;          // 0: the namespace starts at the desktop
    std::string* pszDisplayName = {}; // receives the chosen item's display name, NUL-padded
    std::string lpszTitle;            // shown above the folder tree
    std::uint32_t ulFlags = 0;        // BIF_ flags, passed on unchanged
    BrowseCallback lpfn = nullptr;    // called on the dialog's notifications, or none
    const std::string* lParam = {};   // handed to lpfn as its last argument
    std::int32_t iImage = 0;          // the shell's image index; not read
};

// Dialog flags and messages that the logic uses (BIF_RETURNONLYFSDIRS, BIF_BROWSEFORCOMPUTER,
// BFFM_INITIALIZED, BFFM_SELCHANGED, BFFM_SETSELECTIONA); named apart from the shell
// header's macros so that both can be included.
inline constexpr std::uint32_t BifReturnOnlyFsDirs = 0x0001;
inline constexpr std::uint32_t BifBrowseForComputer = 0x1000;
inline constexpr std::uint32_t BffmInitialized = 1;
inline constexpr std::uint32_t BffmSelChanged = 2;
inline constexpr std::uint32_t BffmSetSelection = 0x466; // lParam: a path when wParam is 1

// Size of the shell's path buffers.
inline constexpr std::size_t MaxPath = 260;

// The user32 and shell32 operations of the folder picker. Text is UTF-8; the Windows side
// converts at its boundary and calls the W forms. A failing call throws.
class ShellPlatform {
  public:
    virtual ~ShellPlatform() = default;

    virtual WindowHandle GetDesktopWindow() = 0;

    // Runs the modal dialog described by `info`; the chosen item's list, 0 on cancel. The
    // display name replaces the contents of *info.pszDisplayName (NUL-padded, maybe longer
    // than MaxPath bytes once converted to UTF-8).
    virtual ItemIdList SHBrowseForFolder(const BrowseInfo& info) = 0;

    // Non-zero when the item has a file-system path; the path, NUL-terminated, then
    // replaces the contents of `buffer`.
    virtual std::int32_t SHGetPathFromIDList(ItemIdList list, std::string& buffer) = 0;

    // Frees a list returned by SHBrowseForFolder; 0 is allowed and does nothing.
    virtual void SHFree(ItemIdList list) = 0;

    // Sends a message whose lParam is a NUL-terminated text; the result is the message's.
    virtual std::intptr_t SendMessage(WindowHandle window, std::uint32_t message,
                                      std::uintptr_t wParam, const std::string& lParam) = 0;
};

// The platform's real implementation: the shell's dialog on Windows, a Qt folder chooser
// on Linux.
std::unique_ptr<ShellPlatform> CreateSystemShellPlatform();
