#include "scan/ListingRules.h"

#include <algorithm>
#include <vector>

namespace {

char Fold(char c, bool foldCase) {
    return foldCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return Fold(c, true); });
    return lower;
}

// Matches a bracket expression at the start of `pattern` ('[' already seen) against `c`.
// Sets `length` to the expression's length after '['; false when it is not closed, and
// then '[' is an ordinary character.
bool MatchBracket(std::string_view pattern, char c, bool escapes, bool foldCase, bool& matched,
                  std::size_t& length) {
    std::size_t at = 0;
    bool negated = at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^');
    if (negated) {
        ++at;
    }
    matched = false;
    const char folded = Fold(c, foldCase);
    for (bool first = true; at < pattern.size() && (first || pattern[at] != ']'); first = false) {
        char low = pattern[at++];
        if (escapes && low == '\\' && at < pattern.size()) {
            low = pattern[at++];
        }
        char high = low;
        if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']') {
            high = pattern[at + 1];
            at += 2;
            if (escapes && high == '\\' && at < pattern.size()) {
                high = pattern[at++];
            }
        }
        if ((folded >= Fold(low, foldCase) && folded <= Fold(high, foldCase)) ||
            (c >= low && c <= high)) {
            matched = true;
        }
    }
    if (at >= pattern.size()) {
        return false;
    }
    length = at + 1;
    matched = matched != negated && c != '/';
    return true;
}

// Matches a pattern against a text from given positions on. Each star tries every place
// it may end; the answer for each (pattern, text) position a star leads to is kept, so a
// pattern of many stars costs at most pattern times text steps for each, never more.
class GlobMatch {
  public:
    GlobMatch(std::string_view pattern, std::string_view text, bool escapes, bool foldCase)
        : pattern_(pattern), text_(text), escapes_(escapes), foldCase_(foldCase),
          known_((pattern.size() + 1) * (text.size() + 1), Unknown) {}

    bool From(std::size_t p, std::size_t t) {
        signed char& known = known_[p * (text_.size() + 1) + t];
        if (known == Unknown) {
            known = Match(p, t) ? 1 : 0;
        }
        return known == 1;
    }

  private:
    static constexpr signed char Unknown = -1;

    bool Match(std::size_t p, std::size_t t) {
        while (p < pattern_.size()) {
            const char c = pattern_[p];
            if (c == '*') {
                return Star(p, t);
            }
            if (t == text_.size()) {
                return false;
            }
            if (c == '?') {
                if (text_[t] == '/') {
                    return false;
                }
                ++p;
                ++t;
                continue;
            }
            if (c == '[') {
                bool matched = false;
                std::size_t length = 0;
                if (MatchBracket(pattern_.substr(p + 1), text_[t], escapes_, foldCase_, matched,
                                 length)) {
                    if (!matched) {
                        return false;
                    }
                    p += 1 + length;
                    ++t;
                    continue;
                }
            }
            char literal = c;
            if (escapes_ && c == '\\' && p + 1 < pattern_.size()) {
                literal = pattern_[++p];
            }
            if (Fold(literal, foldCase_) != Fold(text_[t], foldCase_)) {
                return false;
            }
            ++p;
            ++t;
        }
        return t == text_.size();
    }

    bool Star(std::size_t p, std::size_t t) {
        if (p + 1 < pattern_.size() && pattern_[p + 1] == '*') {
            // "**": any text, '/' included; "**/" also matches no folder at all.
            const std::size_t rest = p + 2;
            if (rest < pattern_.size() && pattern_[rest] == '/' && From(rest + 1, t)) {
                return true;
            }
            for (std::size_t from = t; from <= text_.size(); ++from) {
                if (From(rest, from)) {
                    return true;
                }
            }
            return false;
        }
        for (std::size_t from = t; from <= text_.size(); ++from) {
            if (From(p + 1, from)) {
                return true;
            }
            if (from < text_.size() && text_[from] == '/') {
                break;
            }
        }
        return false;
    }

    std::string_view pattern_;
    std::string_view text_;
    bool escapes_;
    bool foldCase_;
    std::vector<signed char> known_;
};

} // namespace

bool GlobMatches(std::string_view pattern, std::string_view text, bool escapes, bool foldCase) {
    return GlobMatch(pattern, text, escapes, foldCase).From(0, 0);
}

void ListingRules::AddExclude(std::string_view pattern) {
    std::string normalized(pattern);
    if (separator_ == '\\') {
        std::replace(normalized.begin(), normalized.end(), '\\', '/');
    }
    while (normalized.size() > 1 && normalized.back() == '/') {
        normalized.pop_back();
    }
    // "./a", as the shell completes it, names a path from the root as "/a" does.
    if (normalized.size() > 2 && normalized.compare(0, 2, "./") == 0) {
        normalized.erase(0, 1);
    }
    bool pathOnly = !normalized.empty() && normalized.front() == '/';
    if (pathOnly) {
        normalized.erase(0, 1);
    }
    needsPaths_ = needsPaths_ || pathOnly || normalized.find('/') != std::string::npos;
    excludes_.push_back({std::move(normalized), pathOnly});
}

void ListingRules::AddJunkName(std::string_view name) {
    junkNames_.push_back(Lower(name));
}

void ListingRules::AddCommonJunk() {
    for (std::string_view name : {"Thumbs.db", "desktop.ini", ".DS_Store", "Icon\r"}) {
        AddJunkName(name);
    }
    junkPrefixes_.push_back("._");
}

bool ListingRules::Excludes(std::string_view relativePath) const {
    std::size_t cut = relativePath.find_last_of(Separators());
    if (cut == std::string_view::npos) {
        return ExcludesSubFolder({}, relativePath);
    }
    return ExcludesSubFolder(relativePath.substr(0, cut), relativePath.substr(cut + 1));
}

bool ListingRules::ExcludesSubFolder(std::string_view parentRelativePath,
                                     std::string_view name) const {
    std::string path;
    if (needsPaths_) {
        path.assign(parentRelativePath);
        if (separator_ == '\\') {
            std::replace(path.begin(), path.end(), '\\', '/');
        }
        if (!path.empty()) {
            path += '/';
        }
        path += name;
    }
    const bool escapes = separator_ != '\\';
    return std::any_of(excludes_.begin(), excludes_.end(), [&](const Exclude& exclude) {
        return (!exclude.pathOnly && GlobMatches(exclude.pattern, name, escapes, FoldCase())) ||
               (needsPaths_ && GlobMatches(exclude.pattern, path, escapes, FoldCase()));
    });
}

bool ListingRules::ExcludesOrLiesIn(std::string_view relativePath) const {
    if (excludes_.empty()) {
        return false;
    }
    for (std::size_t end = 0; end != std::string_view::npos;) {
        end = relativePath.find_first_of(Separators(), end + 1);
        if (Excludes(relativePath.substr(0, end))) {
            return true;
        }
    }
    return false;
}

bool ListingRules::IsJunkName(std::string_view name) const {
    std::string lower = Lower(name);
    return std::find(junkNames_.begin(), junkNames_.end(), lower) != junkNames_.end() ||
           std::any_of(junkPrefixes_.begin(), junkPrefixes_.end(), [&](const std::string& prefix) {
               return lower.size() > prefix.size() && lower.compare(0, prefix.size(), prefix) == 0;
           });
}
