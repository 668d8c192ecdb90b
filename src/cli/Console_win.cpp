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

void PrepareStandardOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    if (StandardOutputIsInteractive()) {
        ::SetConsoleOutputCP(CP_UTF8);
    }
}

bool StandardOutputIsInteractive() {
    return ::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_CHAR;
}
