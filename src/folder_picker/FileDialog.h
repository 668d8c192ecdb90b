#pragma once

#include "platform/ShellPlatform.h"

#include <cstdint>
#include <string>

// The shell's browse-for-folder dialog, opened with a title and a start folder. Keeps no
// state between calls.
namespace FileDialog {

// Opens the modal dialog and returns the chosen folder's path (with the flag
// BifBrowseForComputer: the chosen item's display name); the empty string on cancel, for an
// item without a file-system path, or when a shell call fails. `ownerWindow` 0 means the
// desktop window, `namespaceRoot` 0 the desktop, and an empty `startFolder` no preselection.
std::string BrowseForFolder(ShellPlatform& shell, const std::string& title,
                            WindowHandle ownerWindow, ItemIdList namespaceRoot, std::uint32_t flags,
                            const std::string& startFolder);

// The dialog's notification callback: selects the start folder once the dialog exists.
// Returns 0 for every message.
std::int32_t BrowseCallbackProc(ShellPlatform& shell, WindowHandle window, std::uint32_t message,
                                std::intptr_t argument, const std::string* lParam);

} // namespace FileDialog
