#include "cli/Console.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Utf.h"

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
