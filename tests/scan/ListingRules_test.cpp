// The listing rules' matchers: exclusions matched one folder name at a time along a walk,
// against a plain matcher of whole paths over random patterns and paths; junk names.

#include "scan/ListingRules.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

char Fold(char c, bool foldCase) {
    return foldCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The reference: fnmatch's rules with FNM_PATHNAME, and "**", by plain backtracking over a
// whole path (exponential, so only for short texts).
bool OracleBracket(std::string_view pattern, char c, bool escapes, bool foldCase, bool& matched,
                   std::size_t& length) {
    std::size_t at = 0;
    bool negated = at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^');
    at += negated ? 1 : 0;
    matched = false;
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
        matched = matched ||
                  (Fold(c, foldCase) >= Fold(low, foldCase) &&
                   Fold(c, foldCase) <= Fold(high, foldCase)) ||
                  (c >= low && c <= high);
    }
    if (at >= pattern.size()) {
        return false;
    }
    length = at + 1;
    matched = matched != negated && c != '/';
    return true;
}

bool OracleMatch(std::string_view p, std::string_view t, bool escapes, bool foldCase) {
    auto match = [&](std::string_view p2, std::string_view t2) {
        return OracleMatch(p2, t2, escapes, foldCase);
    };
    if (p.empty()) {
        return t.empty();
    }
    if (p[0] == '*') {
        if (p.size() > 1 && p[1] == '*') {
            std::string_view rest = p.substr(2);
            if (!rest.empty() && rest[0] == '/' && match(rest.substr(1), t)) {
                return true;
            }
            for (std::size_t from = 0; from <= t.size(); ++from) {
                if (match(rest, t.substr(from))) {
                    return true;
                }
            }
            return false;
        }
        for (std::size_t from = 0; from <= t.size(); ++from) {
            if (match(p.substr(1), t.substr(from))) {
                return true;
            }
            if (from < t.size() && t[from] == '/') {
                return false;
            }
        }
        return false;
    }
    if (t.empty()) {
        return false;
    }
    if (p[0] == '?') {
        return t[0] != '/' && match(p.substr(1), t.substr(1));
    }
    bool matched = false;
    std::size_t length = 0;
    if (p[0] == '[' && OracleBracket(p.substr(1), t[0], escapes, foldCase, matched, length)) {
        return matched && match(p.substr(1 + length), t.substr(1));
    }
    const std::size_t used = escapes && p[0] == '\\' && p.size() > 1 ? 2 : 1;
    return Fold(p[used - 1], foldCase) == Fold(t[0], foldCase) &&
           match(p.substr(used), t.substr(1));
}

// A pattern as ListingRules takes it: on Windows '\' is a separator and case does not
// matter; a trailing '/' goes; a leading one anchors the pattern at the root.
struct OraclePattern {
    OraclePattern(std::string text, bool windows) : escapes(!windows), foldCase(windows) {
        for (char& c : text) {
            c = windows && c == '\\' ? '/' : c;
        }
        while (text.size() > 1 && text.back() == '/') {
            text.pop_back();
        }
        anchored = !text.empty() && text[0] == '/';
        glob = anchored ? text.substr(1) : text;
    }
    // `path`: '/' between names; `name`: its last.
    bool Excludes(std::string_view path, std::string_view name) const {
        return (!anchored && OracleMatch(glob, name, escapes, foldCase)) ||
               OracleMatch(glob, path, escapes, foldCase);
    }

    std::string glob;
    bool anchored = false;
    bool escapes;
    bool foldCase;
};

// The matcher itself, on '/'-separated text: a pattern anchored at the root, on Linux.
bool GlobMatches(const std::string& pattern, const std::string& text, char separator = '/') {
    ListingRules rules(separator);
    rules.AddExclude("/" + pattern);
    return rules.Excludes(text);
}

TEST(ListingRules, GlobsFollowFnmatchWithDoubleStarForAnyDepth) {
    struct Case {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Case cases[] = {
        {"build", "build", true},
        {"build", "builds", false},
        {"*.tmp", "a.tmp", true},
        {"*.tmp", "x/a.tmp", false}, // '*' stops at '/'
        {"a/*", "a/b", true},
        {"a/*", "a/b/c", false},
        {"a?c", "abc", true},
        {"a?c", "a/c", false},
        {"a[!b]c", "a/c", false}, // nor does a negated bracket match it
        {"[ab]x", "bx", true},
        {"[!ab]x", "bx", false},
        {"[a-c]x", "cx", true},
        {"[]]x", "]x", true},
        {"[x", "[x", true}, // an unclosed bracket is a character
        {"\\*x", "*x", true},
        {"\\*x", "ax", false},
        {"**/objects", "objects", true},
        {"**/objects", "a/b/.git/objects", true},
        {"**/objects", "a/objects2", false},
        {"a/**/z", "a/z", true},
        {"a/**/z", "a/b/c/z", true},
        {"a/**", "a/b/c", true},
        {"a/**", "b/c", false},
        {"a**/b", "ab", true},   // "**/" may match nothing,
        {"a**/b", "axb", false}, // but only as a whole
        {"*", "", true},
        {"", "a", false},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(OracleMatch(test.pattern, test.text, true, false), test.matches)
            << "oracle: " << test.pattern << " on " << test.text;
        EXPECT_EQ(GlobMatches(test.pattern, test.text), test.matches)
            << test.pattern << " on " << test.text;
    }
    // Many stars on a long name: each position of the pattern is live once per character,
    // so this ends at once instead of after years.
    EXPECT_FALSE(GlobMatches("*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a')));
    EXPECT_TRUE(GlobMatches("BUILD", "build", '\\'));
    EXPECT_FALSE(GlobMatches("BUILD", "build"));
}

// Random patterns against random paths, folder after folder as the scan and the removal's
// check match them, and whole paths as the removal's re-check of a row does, against the
// reference on the whole path.
TEST(ListingRules, MatchingAlongTheWalkAgreesWithWholePaths) {
    const std::vector<std::string> atoms = {
        "a",     "b",     "A",    "*", "**", "?",   "/",   "**/", "[ab]", "[!a]", "[^/a]",
        "[a-b]", "[A-a]", "[]a]", "[", "]",  "\\*", "\\a", "\\",  "!",    "-"};
    const std::string nameChars = "abA*[";
    std::mt19937 random(25);
    auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
    for (bool windows : {false, true}) {
        const char separator = windows ? '\\' : '/';
        for (int trial = 0; trial < 20000; ++trial) {
            ListingRules rules(separator);
            std::vector<OraclePattern> oracles;
            std::string shown;
            for (std::size_t count = 1 + pick(2); count > 0; --count) {
                std::string pattern = pick(4) == 0 ? "/" : "";
                for (std::size_t length = 1 + pick(5); length > 0; --length) {
                    pattern += atoms[pick(atoms.size())];
                }
                rules.AddExclude(pattern);
                oracles.emplace_back(pattern, windows);
                shown += " '" + pattern + "'";
            }
            auto state = rules.RootState();
            std::string path;
            std::string joined; // with the platform's separator
            bool excludedOnTheWay = false;
            for (std::size_t depth = 1 + pick(4); depth > 0; --depth) {
                std::string name;
                for (std::size_t length = 1 + pick(3); length > 0; --length) {
                    name += nameChars[pick(nameChars.size())];
                }
                path += (path.empty() ? "" : "/") + name;
                joined += (joined.empty() ? "" : std::string(1, separator)) + name;
                bool expected = false;
                for (const OraclePattern& oracle : oracles) {
                    expected = expected || oracle.Excludes(path, name);
                }
                ASSERT_EQ(rules.ExcludesSubFolder(state, name), expected)
                    << path << " with" << shown << (windows ? " on Windows" : "");
                excludedOnTheWay = excludedOnTheWay || expected;
                ASSERT_EQ(rules.ExcludesOrLiesIn(joined), excludedOnTheWay)
                    << joined << " with" << shown;
                state = rules.SubFolderState(state, name);
            }
        }
    }
}

// Patterns name a folder anywhere, or a path from the root; a leading '/' anchors at the
// root. On Windows case does not matter and either separator does.
TEST(ListingRules, MatchFoldersToExcludeAndJunkNames) {
    ListingRules rules('/');
    rules.AddExclude(".git");
    rules.AddExclude("src/gen/");
    rules.AddExclude("/top");
    rules.AddExclude("./py/");
    for (const char* path : {".git", "a/b/.git", "src/gen", "top", "py"}) {
        EXPECT_TRUE(rules.Excludes(path)) << path;
    }
    for (const char* path : {"x/src/gen", "gen", "a/top", ".GIT", "a/py"}) {
        EXPECT_FALSE(rules.Excludes(path)) << path;
    }
    EXPECT_TRUE(rules.ExcludesOrLiesIn("src/gen/deeper"));
    EXPECT_FALSE(rules.ExcludesOrLiesIn("src/other"));

    ListingRules windows('\\');
    windows.AddExclude("Src\\Gen");
    windows.AddExclude(".\\Py\\");
    EXPECT_TRUE(windows.Excludes("src\\GEN"));
    EXPECT_TRUE(windows.Excludes("py"));
    EXPECT_FALSE(windows.Excludes("a\\py"));
    EXPECT_TRUE(windows.ExcludesOrLiesIn("SRC/gen/x"));

    // Junk names are exact, whatever their case; "._" is a prefix.
    rules.AddCommonJunk();
    rules.AddJunkName("Notes.BAK");
    for (const char* name :
         {"Thumbs.db", "THUMBS.DB", "desktop.ini", ".DS_Store", "._x", "Icon\r", "notes.bak"}) {
        EXPECT_TRUE(rules.IsJunkName(name)) << name;
    }
    for (const char* name : {"Thumbs.db2", "xThumbs.db", "._", "Icon", "Icon\r\r", "notes.bak~"}) {
        EXPECT_FALSE(rules.IsJunkName(name)) << name;
    }
}

// Protected names are exact on Linux and without case on Windows; lost+found only where
// its folder is the top of a file system, asked of nothing else; a Maildir needs all three.
TEST(ListingRules, ProtectedNamesCompareAsTheFileSystemDoes) {
    ListingRules linux('/');
    ListingRules windows('\\');
    auto never = [] {
        ADD_FAILURE() << "asked for another name than lost+found";
        return true;
    };
    for (const char* name : {".git", "CVS", ".Trash-1000", "$RECYCLE.BIN", "$Recycle.Bin",
                             "System Volume Information", "_darcs", ".jj", ".pijul"}) {
        EXPECT_TRUE(linux.ProtectsSubFolder(name, never)) << name;
        EXPECT_TRUE(windows.ProtectsSubFolder(name, never)) << name;
    }
    for (const char* name : {".GIT", "cvs", ".trash-1000", "$recycle.bin", "recycler"}) {
        EXPECT_FALSE(linux.ProtectsSubFolder(name, never)) << name;
        EXPECT_TRUE(windows.ProtectsSubFolder(name, never)) << name;
    }
    for (const char* name : {".gitx", "git", ".Trash2", "Trash-1000", "lost+found2"}) {
        EXPECT_FALSE(windows.ProtectsSubFolder(name, never)) << name;
    }
    EXPECT_TRUE(linux.ProtectsSubFolder("lost+found", [] { return true; }));
    EXPECT_FALSE(linux.ProtectsSubFolder("lost+found", [] { return false; }));
    EXPECT_TRUE(windows.ProtectsSubFolder("LOST+FOUND", [] { return true; }));
    EXPECT_TRUE(linux.ProtectsOrLiesIn("lost+found/a", [] { return true; }));
    EXPECT_FALSE(linux.ProtectsOrLiesIn("a/lost+found", [] { return true; }));
    EXPECT_TRUE(linux.ProtectsOrLiesIn("a/b/.hg/c", [] { return false; }));
    EXPECT_TRUE(windows.ProtectsOrLiesIn("a\\.SVN/c", [] { return false; }));

    EXPECT_TRUE(linux.MarksMaildir({"tmp", ".Sent", "new", "cur"}));
    EXPECT_FALSE(linux.MarksMaildir({"tmp", "new", "Cur"}));
    EXPECT_TRUE(windows.MarksMaildir({"TMP", "New", "cur"}));
    EXPECT_FALSE(windows.MarksMaildir({"tmp", "new", "new"}));

    linux.ProtectNothing();
    EXPECT_FALSE(linux.ProtectsSubFolder(".git", never));
    EXPECT_FALSE(linux.ProtectsOrLiesIn("lost+found", [] { return true; }));
    EXPECT_FALSE(linux.MarksMaildir({"tmp", "new", "cur"}));
}

} // namespace
