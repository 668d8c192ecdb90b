#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// `name` made safe for a terminal, the way GNU ls --quoting-style=shell-escape shows it: a
// name of plain characters is left as it is; any other becomes one shell word that stands
// for exactly its bytes. Shell-special characters put the name in single quotes; control
// characters (C0, DEL, C1, the Unicode line and paragraph separators), Unicode format
// characters (bidirectional controls, zero-width characters...) and bytes that are not
// UTF-8 go out as $'...' escapes, so that the name shows on one row, in its own order, and
// no escape sequence reaches the terminal.
std::string ShellEscaped(std::string_view name);

class Progress;

// A stream the commands write to, and whether a person reads it at a terminal.
struct ConsoleStream {
    std::FILE* file = nullptr;
    bool terminal = false;
    // The progress line shown where this stream writes, erased before each write.
    Progress* progress = nullptr;

    // A path as it goes out here: shell-escaped for a terminal, its exact bytes for a
    // program reading a pipe or a file.
    std::string Shown(std::string_view path) const {
        return terminal ? ShellEscaped(path) : std::string(path);
    }

    // Writes a message as it is, after taking the progress line off the terminal.
    void Write(std::string_view text) const;
};

// "1 folder", "0 folders", "2 folders": a count with its noun, plural unless it is one.
std::string Counted(std::size_t count, std::string_view noun);
