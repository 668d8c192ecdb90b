#include "cli/PatternFile.h"

#include "cli/Console.h"
#include "settings/Utf16.h"

namespace {

// UTF-16 `bytes` (after the byte-order mark) as UTF-8; nullopt for an odd number of bytes.
std::optional<std::string> Utf8FromUtf16Bytes(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t at = 0; at < units.size(); ++at) {
        const auto first = static_cast<unsigned char>(bytes[2 * at]);
        const auto second = static_cast<unsigned char>(bytes[2 * at + 1]);
        units[at] =
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return Utf8FromUtf16(std::u16string_view(units));
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
        std::optional<std::string> utf8 = Utf8FromUtf16Bytes(bytes.substr(2), bytes[0] == '\xFE');
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
