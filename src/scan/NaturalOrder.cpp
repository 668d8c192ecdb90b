#include "scan/NaturalOrder.h"

#include <cstddef>
#include <cstdint>

namespace {

// The base letter of each Latin-1 letter from U+00C0 and each Latin Extended-A letter
// (U+0100 to U+017F); '.' where the character is no accented form of an ASCII letter.
constexpr std::string_view latin1Bases = "AAAAAA.CEEEEIIII.NOOOOO.OUUUUY.."
                                         "aaaaaa.ceeeeiiii.nooooo.ouuuuy.y";
constexpr std::string_view extendedABases = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi"
                                            "..JjKk.LlLlLlLlLlNnNnNn...OoOoOo..RrRrRrSsSsSsSs"
                                            "TtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(latin1Bases.size() == 0x40 && extendedABases.size() == 0x80);

constexpr std::uint32_t invalidByteBase = 0x110000; // above every code point

// One unit of comparison: a run of digits, or one character.
struct Token {
    bool isNumber = false;
    std::string_view digits; // a number's digits without its leading zeros
    std::size_t zeros = 0;   // a number's leading zeros
    std::uint32_t character = 0;
};

std::uint32_t DecodeCharacter(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 1) {
        ++at;
        return lead;
    }
    std::uint32_t character = length == 0 ? 0 : lead & (0x7F >> length);
    bool valid = length != 0 && at + length <= text.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        valid = (next & 0xC0) == 0x80;
        character = character << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters either.
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || character < least[length] || (character >= 0xD800 && character < 0xE000) ||
        character > 0x10FFFF) {
        ++at;
        return invalidByteBase + lead;
    }
    at += length;
    return character;
}

Token NextToken(std::string_view text, std::size_t& at) {
    Token token;
    if (text[at] >= '0' && text[at] <= '9') {
        token.isNumber = true;
        while (at < text.size() && text[at] == '0') {
            ++token.zeros;
            ++at;
        }
        const std::size_t first = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            ++at;
        }
        token.digits = text.substr(first, at - first);
        return token;
    }
    token.character = DecodeCharacter(text, at);
    return token;
}

std::uint32_t WithoutCase(std::uint32_t character) {
    return character >= 'A' && character <= 'Z' ? character + ('a' - 'A') : character;
}

std::uint32_t BaseLetter(std::uint32_t character) {
    char base = '.';
    if (character >= 0xC0 && character < 0x100) {
        base = latin1Bases[character - 0xC0];
    } else if (character >= 0x100 && character < 0x180) {
        base = extendedABases[character - 0x100];
    }
    return WithoutCase(base == '.' ? character : static_cast<unsigned char>(base));
}

int Sign(std::int64_t difference) {
    return difference < 0 ? -1 : difference > 0 ? 1 : 0;
}

// At level 0 tokens compare by what they read as; at level 1 by accents and by a number's
// leading zeros. Case is left to the bytes.
int CompareTokens(const Token& a, const Token& b, int level) {
    if (a.isNumber && b.isNumber) {
        if (level == 1) {
            return Sign(static_cast<std::int64_t>(a.zeros) - static_cast<std::int64_t>(b.zeros));
        }
        if (a.digits.size() != b.digits.size()) {
            return Sign(static_cast<std::int64_t>(a.digits.size()) -
                        static_cast<std::int64_t>(b.digits.size()));
        }
        return Sign(a.digits.compare(b.digits));
    }
    // A number sorts where its first digit would.
    const std::uint32_t first = a.isNumber ? '0' : a.character;
    const std::uint32_t second = b.isNumber ? '0' : b.character;
    return level == 0 ? Sign(static_cast<std::int64_t>(BaseLetter(first)) - BaseLetter(second))
                      : Sign(static_cast<std::int64_t>(WithoutCase(first)) - WithoutCase(second));
}

int CompareAtLevel(std::string_view a, std::string_view b, int level) {
    std::size_t atA = 0;
    std::size_t atB = 0;
    while (atA < a.size() && atB < b.size()) {
        const int order = CompareTokens(NextToken(a, atA), NextToken(b, atB), level);
        if (order != 0) {
            return order;
        }
    }
    return (atA < a.size()) - (atB < b.size());
}

} // namespace

int CompareNaturally(std::string_view a, std::string_view b) {
    for (int level = 0; level < 2; ++level) {
        if (const int order = CompareAtLevel(a, b, level); order != 0) {
            return order;
        }
    }
    return Sign(a.compare(b));
}
