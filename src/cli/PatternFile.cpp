#include "cli/PatternFile.h"

#include "cli/Console.h"

namespace {

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// UTF-16 `bytes` (after the byte-order mark) as UTF-8; nullopt for an odd number of bytes.
std::optional<std::string> Utf8FromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    auto unitAt = [&](std::size_t index) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[index]);
        const auto second = static_cast<unsigned char>(bytes[index + 1]);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        char32_t unit = unitAt(at);
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 2 < bytes.size()) {
            const char32_t low = unitAt(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        AppendUtf8(text, unit);
    }
    return text;
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

} // namespace

std::optional<std::vector<std::string>> PatternsInFile(std::string_view bytes,
                                                       std::string& failure) {
    if (bytes.size() > PatternFileMaxBytes) {
        failure = "it is larger than 16 MiB";
        return std::nullopt;
    }
    // Without the conversion the mark would become part of the first pattern, which then
    // matches nothing: the folder it was to keep would be removed.
    std::string text;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        text = bytes.substr(3);
    } else if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
        std::optional<std::string> utf8 = Utf8FromUtf16(bytes.substr(2), bytes[0] == '\xFE');
        if (!utf8) {
            failure = "it is cut short in the middle of a UTF-16 character";
            return std::nullopt;
        }
        text = std::move(*utf8);
    } else {
        text = bytes;
    }
    if (text.find('\0') != std::string::npos) {
        failure = "it holds a NUL character (UTF-16 is read only with a byte-order mark)";
        return std::nullopt;
    }
    std::vector<std::string> patterns;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() > PatternLineMaxBytes) {
            failure = "line " + std::to_string(lineNumber) + " is longer than 128 KiB";
            return std::nullopt;
        }
        if (!line.empty() && line.front() != '#') {
            patterns.push_back(std::move(line));
        }
    }
    return patterns;
}

std::optional<std::vector<std::string>> ReadPatternFile(const std::string& path,
                                                        std::string& failure) {
    // One byte past the cap tells a file at the cap from a larger one.
    std::optional<std::string> bytes = ReadFileStart(path, PatternFileMaxBytes + 1, failure);
    return bytes ? PatternsInFile(*bytes, failure) : std::nullopt;
}
