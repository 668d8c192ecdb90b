#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Appends the UTF-8 form of `code`, a code point or a lone surrogate (WTF-8).
void AppendUtf8(std::string& text, char32_t code);

// UTF-16 as UTF-8: a surrogate pair as its code point, an unpaired surrogate, which Windows
// allows in names, as WTF-8, so that the text converts back unchanged. `Unit` is char16_t,
// or wchar_t where it has 16 bits (Windows).
template <typename Unit>
std::string Utf8FromUtf16(std::basic_string_view<Unit> units) {
    std::string text;
    text.reserve(units.size());
    for (std::size_t at = 0; at < units.size(); ++at) {
        char32_t unit = static_cast<std::uint16_t>(units[at]);
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < units.size()) {
            const char32_t low = static_cast<std::uint16_t>(units[at + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++at;
            }
        }
        AppendUtf8(text, unit);
    }
    return text;
}
