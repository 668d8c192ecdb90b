#include "cli/Console.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/SystemMessage.h"
#include "platform/win32/Utf.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

// argv holds the ANSI code page's rendering, which loses characters it cannot show; the
// wide command line has the exact names.
std::vector<std::string> CommandLineArguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) {
        return arguments;
    }
    for (int index = 1; index < count; ++index) {
        arguments.push_back(Utf8FromWide(wide[index]));
    }
    ::LocalFree(wide);
    return arguments;
}

namespace {

bool IsConsole(DWORD standardHandle) {
    return ::GetFileType(::GetStdHandle(standardHandle)) == FILE_TYPE_CHAR;
}

} // namespace

// A thread's stack is reserved as the program's header says and committed only as it
// grows: nothing to change.
void PrepareThreads() {}

// The console shows the UTF-8 text it receives; the shell escaping has taken out the
// control characters by then.
void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (IsConsole(STD_OUTPUT_HANDLE) || IsConsole(STD_ERROR_HANDLE)) {
        ::SetConsoleOutputCP(CP_UTF8);
    }
}

ConsoleStream StandardOutput() {
    return {stdout, IsConsole(STD_OUTPUT_HANDLE)};
}

ConsoleStream StandardError() {
    return {stderr, IsConsole(STD_ERROR_HANDLE)};
}

// A new file is made only where nothing stands: CREATE_NEW fails on a dangling link, which
// Wine shows as no file at all, where OPEN_ALWAYS would create the link's target. Anything
// that stands there is opened itself, FILE_FLAG_OPEN_REPARSE_POINT keeping a link from being
// followed, and refused unless it is a disk file that is no link nor folder; only then is
// it emptied. A console, a pipe or a device is no disk file.
std::FILE* CreateLogFile(const std::string& path, std::string& failure) {
    const std::wstring widePath = WideFromUtf8(path);
    HANDLE handle = ::CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS) {
        handle =
            ::CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
            failure = "it is a link to nothing, or it changed while it was opened";
            return nullptr;
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        failure = SystemMessage(::GetLastError());
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileType(handle) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        failure = "it is not a regular file";
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        failure = "it is a link";
    } else if (!::SetEndOfFile(handle)) {
        failure = SystemMessage(::GetLastError());
    } else {
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
        if (file) {
            return file;
        }
        failure = "it cannot be opened";
        if (fd >= 0) {
            _close(fd); // closes the handle too
            return nullptr;
        }
    }
    ::CloseHandle(handle);
    return nullptr;
}

// Others may go on writing, renaming or deleting the file while it is read, as they may
// with any file a program reads.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t limit,
                                         std::string& failure) {
    HANDLE handle = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        failure = SystemMessage(::GetLastError());
        return std::nullopt;
    }
    std::string bytes;
    char chunk[64 * 1024];
    while (bytes.size() < limit) {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
        if (!::ReadFile(handle, chunk, wanted, &got, nullptr)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_BROKEN_PIPE) {
                break; // the writer of a pipe has closed its end
            }
            failure = SystemMessage(error);
            ::CloseHandle(handle);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, got);
    }
    ::CloseHandle(handle);
    return bytes;
}
