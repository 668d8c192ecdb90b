#include "platform/win32/Utf.h"

#include "settings/Utf16.h"

#include <cstdint>

namespace {

void AppendUtf16(std::wstring& out, std::uint32_t code) {
    if (code < 0x10000) {
        out += static_cast<wchar_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<wchar_t>(0xD800 | (code >> 10));
        out += static_cast<wchar_t>(0xDC00 | (code & 0x3FF));
    }
}

} // namespace

std::string Utf8FromWide(std::wstring_view text) {
    return Utf8FromUtf16(text);
}

// Bytes that are not well-formed UTF-8 become U+FFFD; text that came from Utf8FromWide
// (WTF-8 included) always round-trips.
std::wstring WideFromUtf8(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80           ? 1
                             : (byte >> 5) == 0x6  ? 2
                             : (byte >> 4) == 0xE  ? 3
                             : (byte >> 3) == 0x1E ? 4
                                                   : 0;
        std::uint32_t code = length == 1   ? byte
                             : length == 2 ? (byte & 0x1F)
                             : length == 3 ? (byte & 0x0F)
                                           : (byte & 0x07);
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        static constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= Smallest[length] && code <= 0x10FFFF;
        if (!valid) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        AppendUtf16(out, code);
        i += length;
    }
    return out;
}
