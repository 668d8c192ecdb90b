#include "cli/ConsoleText.h"

#include "cli/Progress.h"

#include <cstring>

namespace {

// One character of a name: its bytes, and whether it may only go out as an escape.
struct Character {
    std::string_view bytes;
    bool escaped;
};

unsigned char ByteAt(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

// Code points a terminal would act on or not show as themselves: C1 controls (a terminal
// may take U+009B as the start of an escape sequence), the line and paragraph separators,
// which may break the row, and the format characters (Unicode 15's category Cf, with the
// reserved U+2065 among its neighbours), which reorder the text around them (U+202E shows
// "exe.pdf" as "fdp.exe") or take no room at all.
bool IsHidden(char32_t codePoint) {
    static constexpr char32_t Ranges[][2] = {
        {0x80, 0x9F},       {0xAD, 0xAD},       {0x600, 0x605},     {0x61C, 0x61C},
        {0x6DD, 0x6DD},     {0x70F, 0x70F},     {0x890, 0x891},     {0x8E2, 0x8E2},
        {0x180E, 0x180E},   {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x206F},
        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
        {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    for (const auto& range : Ranges) {
        if (codePoint >= range[0] && codePoint <= range[1]) {
            return true;
        }
    }
    return false;
}

// The character at the start of `text`: a whole UTF-8 sequence, or one byte that starts
// none (a stray continuation byte, a cut sequence, an overlong form, a surrogate, a value
// past U+10FFFF), which is escaped on its own.
Character NextCharacter(std::string_view text) {
    const unsigned char lead = ByteAt(text, 0);
    if (lead < 0x80) {
        return {text.substr(0, 1), lead < 0x20 || lead == 0x7F};
    }
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    // The second byte's range is what rules out overlong forms, surrogates and values past
    // U+10FFFF.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    bool valid =
        length != 0 && text.size() >= length && ByteAt(text, 1) >= low && ByteAt(text, 1) <= high;
    for (std::size_t index = 2; valid && index < length; ++index) {
        valid = ByteAt(text, index) >= 0x80 && ByteAt(text, index) <= 0xBF;
    }
    if (!valid) {
        return {text.substr(0, 1), true};
    }
    char32_t codePoint = lead & (0x7F >> length);
    for (std::size_t index = 1; index < length; ++index) {
        codePoint = (codePoint << 6) | (ByteAt(text, index) & 0x3F);
    }
    return {text.substr(0, length), IsHidden(codePoint)};
}

template <typename Visit>
void ForEachCharacter(std::string_view name, Visit visit) {
    for (std::size_t at = 0; at < name.size();) {
        Character character = NextCharacter(name.substr(at));
        visit(character, at == 0);
        at += character.bytes.size();
    }
}

// Characters that the shell would take as more than themselves; '#' and '~' only start a
// comment or a home folder at the start of a word, '{' and '}' only alone.
bool IsShellSpecial(char c, bool first, bool alone) {
    if (c == '#' || c == '~') {
        return first;
    }
    if (c == '{' || c == '}') {
        return alone;
    }
    return std::strchr(" !\"$&'()*;<=>?[\\^`|", c) != nullptr;
}

// Characters that mean themselves inside double quotes too; a name made only of these
// (and other printable characters) is shown in double quotes when it holds a single quote.
bool FitsInDoubleQuotes(char c, bool first) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           std::strchr("%+,-./:@]_ '", c) != nullptr || (first && (c == '#' || c == '~'));
}

void AppendEscape(std::string& out, unsigned char byte) {
    static const char* const named[] = {"\\a", "\\b", "\\t", "\\n", "\\v", "\\f", "\\r"};
    if (byte >= '\a' && byte <= '\r') {
        out += named[byte - '\a'];
        return;
    }
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

} // namespace

std::string ShellEscaped(std::string_view name) {
    bool needsQuotes = name.empty();
    bool singleQuote = false;
    bool fitsInDoubleQuotes = true;
    ForEachCharacter(name, [&](const Character& character, bool first) {
        if (character.escaped) {
            needsQuotes = true;
            fitsInDoubleQuotes = false;
        } else if (character.bytes.size() == 1) {
            const char c = character.bytes[0];
            needsQuotes = needsQuotes || IsShellSpecial(c, first, name.size() == 1);
            singleQuote = singleQuote || c == '\'';
            fitsInDoubleQuotes = fitsInDoubleQuotes && FitsInDoubleQuotes(c, first);
        }
    });
    if (!needsQuotes) {
        return std::string(name);
    }
    if (singleQuote && fitsInDoubleQuotes) {
        std::string out = "\""; // "it's" reads better than 'it'\''s'
        out += name;
        out += '"';
        return out;
    }
    // Single quotes, left for a moment for each run of escapes ('a'$'\n''b') and for each
    // single quote ('it'\''s').
    std::string out = "'";
    bool inEscapes = false;
    ForEachCharacter(name, [&](const Character& character, bool) {
        if (character.escaped) {
            out += inEscapes ? "" : "'$'";
            inEscapes = true;
            for (char byte : character.bytes) {
                AppendEscape(out, static_cast<unsigned char>(byte));
            }
            return;
        }
        if (character.bytes == "'") {
            out += "'\\''"; // closes either kind of quotes alike
        } else {
            out += inEscapes ? "''" : "";
            out += character.bytes;
        }
        inEscapes = false;
    });
    out += '\'';
    return out;
}

void ConsoleStream::Write(std::string_view text) const {
    if (progress) {
        progress->Erase();
    }
    std::fwrite(text.data(), 1, text.size(), file);
}

std::string Counted(std::size_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}
