#pragma once

#include <string>
#include <string_view>

// Small pure text helpers. They work on the code units of UTF-8 text; every special
// character is ASCII, so the results equal those on UTF-16 text.
namespace StringCommon {

// Replaces backslash, vertical tab, tab, line feed and carriage return by their two-character
// escaped forms, so that any text fits on one line of the settings file.
std::string EscapeString(std::string_view text);

// Exact inverse of EscapeString; unknown pairs pass through unchanged.
std::string UnescapeString(std::string_view text);

// The part of a NUL-padded buffer before its first NUL.
std::string CutAtNull(std::string_view buffer);

} // namespace StringCommon
