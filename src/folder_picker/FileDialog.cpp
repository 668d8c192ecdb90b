#include "folder_picker/FileDialog.h"

#include "settings/StringCommon.h"

namespace FileDialog {

namespace {

std::string TakeResult(ShellPlatform& shell, ItemIdList list, std::uint32_t flags,
                       const std::string& displayName) {
    // Browsing for computers yields names, not paths: the display name is the answer,
    // whatever the shell returned as list (after a cancel the buffer is still all NUL).
    if ((flags & BifBrowseForComputer) != 0) {
        return StringCommon::CutAtNull(displayName);
    }
    if (list == 0) {
        return {};
    }
    std::string path(MaxPath, '\0');
    if (shell.SHGetPathFromIDList(list, path) == 0) {
        return {};
    }
    return StringCommon::CutAtNull(path);
}

} // namespace

// A failure of any step ends the dialog's work with the empty string: what a half-done
// call could still deliver is not trusted. The list is freed on every path, 0 included.
std::string BrowseForFolder(ShellPlatform& shell, const std::string& title,
                            WindowHandle ownerWindow, ItemIdList namespaceRoot, std::uint32_t flags,
                            const std::string& startFolder) {
    ItemIdList list = 0;
    std::string result;
    try {
        std::string displayName(MaxPath, '\0');
        BrowseInfo info;
        info.hwndOwner = ownerWindow != 0 ? ownerWindow : shell.GetDesktopWindow();
        info.pidlRoot = namespaceRoot;
        info.pszDisplayName = &displayName;
        info.lpszTitle = title;
        info.ulFlags = flags;
        if (!startFolder.empty()) {
            info.lpfn = &BrowseCallbackProc;
            info.lParam = &startFolder;
        }
        list = shell.SHBrowseForFolder(info);
        result = TakeResult(shell, list, flags, displayName);
    } catch (...) {
        result.clear();
    }
    try {
        shell.SHFree(list);
    } catch (...) {
        // Nothing more can be done for the list; the caller still gets its answer.
    }
    return result;
}

std::int32_t BrowseCallbackProc(ShellPlatform& shell, WindowHandle window, std::uint32_t message,
                                std::intptr_t /*argument*/, const std::string* lParam) {
    if (message == BffmInitialized && lParam != nullptr) {
        // wParam 1: lParam is a path, not an item identifier list.
        shell.SendMessage(window, BffmSetSelection, 1, *lParam);
    }
    return 0;
}

} // namespace FileDialog
