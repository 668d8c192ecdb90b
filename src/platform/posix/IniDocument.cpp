#include "platform/posix/IniDocument.h"

#include <algorithm>

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

// "[name]" -> name; not a section header -> nullopt.
std::optional<std::string_view> SectionName(std::string_view content) {
    std::string_view text = Trim(content);
    if (text.empty() || text.front() != '[') {
        return std::nullopt;
    }
    std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(text.substr(1, close - 1));
}

// Windows drops one pair of matching quotation marks around a value.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

IniDocument::IniDocument(std::string_view text) {
    if (text.substr(0, Utf8Bom.size()) == Utf8Bom) {
        bom_ = Utf8Bom;
        text.remove_prefix(Utf8Bom.size());
    }
    bool newLineSeen = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string_view::npos) {
            lines_.push_back({std::string(text.substr(start)), ""});
            break;
        }
        std::size_t endLength =
            (text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1;
        Line line{std::string(text.substr(start, stop - start)),
                  std::string(text.substr(stop, endLength))};
        if (!newLineSeen) {
            newLine_ = line.end;
            newLineSeen = true;
        }
        lines_.push_back(std::move(line));
        start = stop + endLength;
    }
}

std::optional<std::size_t> IniDocument::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::optional<std::string_view> name = SectionName(lines_[i].content);
        if (name && SameName(*name, section)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<IniDocument::KeyLine> IniDocument::FindKey(std::size_t sectionIndex,
                                                         std::string_view key) const {
    for (std::size_t i = sectionIndex + 1; i < lines_.size(); ++i) {
        std::string_view content = lines_[i].content;
        if (SectionName(content)) {
            break;
        }
        std::size_t equals = content.find('=');
        if (equals != std::string_view::npos && SameName(Trim(content.substr(0, equals)), key)) {
            return KeyLine{i, Trim(content.substr(equals + 1))};
        }
    }
    return std::nullopt;
}

// The index just after the last non-blank line of the section.
std::size_t IniDocument::EndOfSection(std::size_t sectionIndex) const {
    std::size_t end = sectionIndex + 1;
    for (std::size_t i = sectionIndex + 1; i < lines_.size(); ++i) {
        if (SectionName(lines_[i].content)) {
            break;
        }
        if (!Trim(lines_[i].content).empty()) {
            end = i + 1;
        }
    }
    return end;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    std::optional<std::size_t> sectionIndex = FindSection(section);
    if (!sectionIndex) {
        return std::nullopt;
    }
    std::optional<KeyLine> keyLine = FindKey(*sectionIndex, key);
    if (!keyLine) {
        return std::nullopt;
    }
    return std::string(Unquote(keyLine->value));
}

void IniDocument::InsertLine(std::size_t index, std::string content) {
    // The line before an inserted one must end, even if it was the file's last line.
    if (index > 0 && lines_[index - 1].end.empty()) {
        lines_[index - 1].end = newLine_;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                  Line{std::move(content), newLine_});
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string keyLine = std::string(key) + "=" + std::string(value);
    std::optional<std::size_t> sectionIndex = FindSection(section);
    if (!sectionIndex) {
        InsertLine(lines_.size(), "[" + std::string(section) + "]");
        InsertLine(lines_.size(), std::move(keyLine));
        return;
    }
    if (std::optional<KeyLine> existing = FindKey(*sectionIndex, key)) {
        // The key keeps its own spelling; only the value changes.
        std::string& content = lines_[existing->index].content;
        content = content.substr(0, content.find('=') + 1) + std::string(value);
        return;
    }
    InsertLine(EndOfSection(*sectionIndex), std::move(keyLine));
}

std::string IniDocument::Text() const {
    std::string text = bom_;
    for (const Line& line : lines_) {
        text += line.content;
        text += line.end;
    }
    return text;
}
