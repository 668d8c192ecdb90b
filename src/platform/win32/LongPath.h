#pragma once

#include <windows.h>

#include <string>

// How the Win32 file-system code reaches a path, decided once for the scan and the removal.

// The full path in the "\\?\" form, which lifts the MAX_PATH limit and turns off the
// renaming of names that end in a dot or a blank: "\\?\C:\a", "\\?\UNC\server\share\a".
// "C:" is the drive's root, not its current folder; a path already in that form (or a
// device path "\\.\") is kept as it is. Empty when the path cannot be made full.
std::wstring LongPath(const std::string& path);

// Entries that are content, never folders to enter or remove: links, junctions and every
// other reparse point, and cloud placeholders, whose opening would download them.
inline constexpr DWORD RecallOnOpen = 0x40000;
inline constexpr DWORD RecallOnDataAccess = 0x400000;
inline constexpr DWORD ContentAttributes =
    FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_OFFLINE | RecallOnOpen | RecallOnDataAccess;

// A plain local file: no folder, reparse point or placeholder. Only such a file can be junk.
inline constexpr bool IsPlainFile(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | ContentAttributes)) == 0;
}

// A 32-bit program on 64-bit Windows sees SysWOW64 in place of System32 unless it turns
// the redirection off; the scan and the removal must see the real folders. Off only while
// an object lives, so that the DLLs the window loads meanwhile still come from the right
// place. The redirection belongs to the calling thread: each read makes its own object, on
// the thread that reads (the scan's read-ahead threads among them).
class FileSystemRedirectionOff {
  public:
    FileSystemRedirectionOff();
    ~FileSystemRedirectionOff();
    FileSystemRedirectionOff(const FileSystemRedirectionOff&) = delete;
    FileSystemRedirectionOff& operator=(const FileSystemRedirectionOff&) = delete;

  private:
    PVOID previous_ = nullptr;
    bool active_ = false;
};
