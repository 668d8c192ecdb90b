#pragma once

#include <memory>
#include <string>

// What the result list's context menu asks of the desktop: the file manager and the
// clipboard. Paths are the file system's (UTF-8 on Windows, bytes on Linux). Each answers
// false when the desktop could not do it; nothing throws.
class DesktopShell {
  public:
    virtual ~DesktopShell() = default;

    // Opens the file manager on the folder holding `path`, with that item selected.
    virtual bool ShowInFileManager(const std::string& path) = 0;
    // Opens the file manager on `folder`.
    virtual bool OpenFolder(const std::string& folder) = 0;
    // Puts `text` on the clipboard; its lines are separated by "\n".
    virtual bool SetClipboardText(const std::string& text) = 0;
};

// The platform's own: the shell and the clipboard on Windows; the desktop's file manager
// (over D-Bus where it answers) and the Qt clipboard on Linux.
std::unique_ptr<DesktopShell> CreateSystemDesktopShell();
