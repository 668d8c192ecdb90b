#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of a profile (INI) file, read and changed the way Windows' profile functions
// do it, while every line we do not change keeps its bytes and its line end.
class IniDocument {
  public:
    explicit IniDocument(std::string_view text);

    // The value of the first `key` in the first `section` (names compared without regard to
    // ASCII case), with blanks and one pair of enclosing quotation marks dropped.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    // Replaces the key's value in place, or adds the key at the end of its section, or adds
    // the section at the end of the document.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

  private:
    struct Line {
        std::string content; // without the line end
        std::string end;     // "\r\n", "\n", "\r", or empty for a last line without one
    };

    struct KeyLine {
        std::size_t index;
        std::string_view value;
    };

    std::optional<std::size_t> FindSection(std::string_view section) const;
    std::optional<KeyLine> FindKey(std::size_t sectionIndex, std::string_view key) const;
    std::size_t EndOfSection(std::size_t sectionIndex) const;
    void InsertLine(std::size_t index, std::string content);

    std::string bom_;
    std::vector<Line> lines_;
    std::string newLine_ = "\n"; // for added lines: the file's own line end, if it has one
};
