#include "scan/ListingRules.h"

#include <algorithm>

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

} // namespace

bool GlobMatches(std::string_view pattern, std::string_view text, bool escapes, bool foldCase) {
    std::size_t p = 0;
    std::size_t t = 0;
    while (p < pattern.size()) {
        const char c = pattern[p];
        if (c == '*') {
            if (p + 1 < pattern.size() && pattern[p + 1] == '*') {
                // "**": any text, '/' included; "**/" also matches no folder at all.
                std::string_view rest = pattern.substr(p + 2);
                if (!rest.empty() && rest.front() == '/' &&
                    GlobMatches(rest.substr(1), text.substr(t), escapes, foldCase)) {
                    return true;
                }
                for (std::size_t from = t; from <= text.size(); ++from) {
                    if (GlobMatches(rest, text.substr(from), escapes, foldCase)) {
                        return true;
                    }
                }
                return false;
            }
            std::string_view rest = pattern.substr(p + 1);
            for (std::size_t from = t; from <= text.size(); ++from) {
                if (GlobMatches(rest, text.substr(from), escapes, foldCase)) {
                    return true;
                }
                if (from < text.size() && text[from] == '/') {
                    break;
                }
            }
            return false;
        }
        if (t == text.size()) {
            return false;
        }
        if (c == '?') {
            if (text[t] == '/') {
                return false;
            }
            ++p;
            ++t;
            continue;
        }
        if (c == '[') {
            bool matched = false;
            std::size_t length = 0;
            if (MatchBracket(pattern.substr(p + 1), text[t], escapes, foldCase, matched, length)) {
                if (!matched) {
                    return false;
                }
                p += 1 + length;
                ++t;
                continue;
            }
        }
        char literal = c;
        if (escapes && c == '\\' && p + 1 < pattern.size()) {
            literal = pattern[++p];
        }
        if (Fold(literal, foldCase) != Fold(text[t], foldCase)) {
            return false;
        }
        ++p;
        ++t;
    }
    return t == text.size();
}

void ListingRules::AddExclude(std::string_view pattern) {
    std::string normalized(pattern);
    if (separator_ == '\\') {
        std::replace(normalized.begin(), normalized.end(), '\\', '/');
    }
    while (normalized.size() > 1 && normalized.back() == '/') {
        normalized.pop_back();
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
