#include "platform/ProfileFile.h"

#include "platform/posix/IniDocument.h"
#include "platform/posix/ProfileFileStorage.h"

#include <optional>

namespace {

constexpr std::string_view Blanks = " \t";

std::string WithoutTrailingBlanks(std::string_view text) {
    std::size_t end = text.find_last_not_of(Blanks);
    return std::string(end == std::string_view::npos ? std::string_view()
                                                     : text.substr(0, end + 1));
}

// Reading drops the blanks around a value and one pair of enclosing quotation marks, as
// Windows does. Linux folder names may end in a blank, so such a value is written inside
// quotation marks, which the reader takes off again, and comes back exactly.
std::string QuotedWhereNeeded(std::string_view value) {
    bool edgeBlank = !value.empty() && (Blanks.find(value.front()) != std::string_view::npos ||
                                        Blanks.find(value.back()) != std::string_view::npos);
    bool enclosed = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                    value.back() == value.front();
    if (edgeBlank || enclosed) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

class PosixProfileFile final : public ProfileFile {
  public:
    std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue,
                                        std::string_view file) override {
        if (std::optional<std::string> text = ReadProfileFile(std::string(file))) {
            if (std::optional<std::string> value = IniDocument(*text).Find(section, key)) {
                return *value;
            }
        }
        return WithoutTrailingBlanks(defaultValue);
    }

    bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) override {
        return UpdateProfileFile(std::string(file), [&](const std::string& text) {
            IniDocument document(text);
            document.Set(section, key, QuotedWhereNeeded(value));
            return document.Text();
        });
    }
};

} // namespace

std::unique_ptr<ProfileFile> CreateSystemProfileFile() {
    return std::make_unique<PosixProfileFile>();
}
