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

// Folders that programs need even empty. "$Recycle.Bin" is how Windows spells its system
// drive's bin, which Linux, matching exactly, meets on a mounted Windows disk.
constexpr std::string_view ProtectedNames[] = {
    // Version control.
    ".git", ".hg", ".svn", ".bzr", "_darcs", "CVS", ".jj", ".pijul",
    // Trash and recycle folders.
    ".Trash", "$RECYCLE.BIN", "$Recycle.Bin", "RECYCLER",
    // Windows' own.
    "System Volume Information"};
constexpr std::string_view ProtectedPrefix = ".Trash-"; // .Trash-$uid, one per user
constexpr std::string_view MaildirNames[] = {"cur", "new", "tmp"};

} // namespace

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
    excludes_.Add(normalized, pathOnly);
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

std::vector<std::string_view> ListingRules::Names(std::string_view relativePath) const {
    std::vector<std::string_view> names;
    for (std::size_t start = 0;;) {
        std::size_t end = relativePath.find_first_of(Separators(), start);
        names.push_back(relativePath.substr(start, end - start));
        if (end == std::string_view::npos) {
            return names;
        }
        start = end + 1;
    }
}

ListingRules::ExclusionState ListingRules::FolderState(std::string_view relativePath) const {
    ExclusionState state = RootState();
    for (std::string_view name : Names(relativePath)) {
        state = SubFolderState(state, name);
    }
    return state;
}

bool ListingRules::Excludes(std::string_view relativePath) const {
    std::vector<std::string_view> names = Names(relativePath);
    ExclusionState state = RootState();
    for (std::size_t at = 0; at + 1 < names.size(); ++at) {
        state = SubFolderState(state, names[at]);
    }
    return ExcludesSubFolder(state, names.back());
}

bool ListingRules::ExcludesOrLiesIn(std::string_view relativePath) const {
    if (!HasExcludes()) {
        return false;
    }
    std::vector<std::string_view> names = Names(relativePath);
    ExclusionState state = RootState();
    for (std::size_t at = 0; at < names.size(); ++at) {
        if (ExcludesSubFolder(state, names[at])) {
            return true;
        }
        if (at + 1 < names.size()) {
            state = SubFolderState(state, names[at]);
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

bool ListingRules::SameName(std::string_view name, std::string_view other) const {
    const bool foldCase = separator_ == '\\';
    return name.size() == other.size() &&
           std::equal(name.begin(), name.end(), other.begin(),
                      [&](char a, char b) { return Fold(a, foldCase) == Fold(b, foldCase); });
}

bool ListingRules::IsProtectedName(std::string_view name) const {
    return std::any_of(
               std::begin(ProtectedNames), std::end(ProtectedNames),
               [&](std::string_view protectedName) { return SameName(name, protectedName); }) ||
           SameName(name.substr(0, ProtectedPrefix.size()), ProtectedPrefix);
}

unsigned ListingRules::MaildirBit(std::string_view name) const {
    for (unsigned at = 0; protects_ && at < std::size(MaildirNames); ++at) {
        if (SameName(name, MaildirNames[at])) {
            return 1U << at;
        }
    }
    return 0;
}

bool ListingRules::MarksMaildir(const std::vector<std::string>& subFolderNames) const {
    unsigned bits = 0;
    for (const std::string& name : subFolderNames) {
        bits |= MaildirBit(name);
    }
    return bits == MaildirBits;
}
