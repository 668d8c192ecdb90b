#include "settings/StringCommon.h"

#include <optional>

namespace StringCommon {

namespace {

constexpr char Backslash = '\\';

struct EscapeRow {
    char plain;
    char letter; // the character after the backslash in the escaped form
};

// The whole table: nothing else is escaped.
constexpr EscapeRow EscapeTable[] = {
    {'\\', '\\'}, {'\v', 'v'}, {'\t', 't'}, {'\n', 'n'}, {'\r', 'r'},
};

std::optional<char> EscapeLetterOf(char plain) {
    for (const EscapeRow& row : EscapeTable) {
        if (row.plain == plain) {
            return row.letter;
        }
    }
    return std::nullopt;
}

std::optional<char> PlainOf(char letter) {
    for (const EscapeRow& row : EscapeTable) {
        if (row.letter == letter) {
            return row.plain;
        }
    }
    return std::nullopt;
}

} // namespace

std::string EscapeString(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (std::optional<char> letter = EscapeLetterOf(c)) {
            result += Backslash;
            result += *letter;
        } else {
            result += c;
        }
    }
    return result;
}

// One left-to-right pass: a backslash always pairs with the character right after it, so
// "\\\\n" decodes to a backslash and 'n', never to a line feed.
std::string UnescapeString(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        char c = text[position];
        if (c != Backslash) {
            result += c;
            ++position;
            continue;
        }
        std::string_view pair = text.substr(position, 2);
        std::optional<char> plain = pair.size() == 2 ? PlainOf(pair[1]) : std::nullopt;
        if (plain) {
            result += *plain;
        } else {
            result += pair;
        }
        position += 2;
    }
    return result;
}

std::string CutAtNull(std::string_view buffer) {
    return std::string(buffer.substr(0, buffer.find('\0')));
}

} // namespace StringCommon
