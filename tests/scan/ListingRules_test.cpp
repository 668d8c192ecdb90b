// The listing rules against plain references written here, on random patterns, paths and
// names, through the calls the scan and the removal make.

#include "scan/ListingRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Folded(std::string text, bool foldCase) {
    for (char& c : text) {
        c = foldCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// Whether '|'-separated `list` holds `name`.
bool Lists(const std::string& list, const std::string& name, bool foldCase) {
    return Folded("|" + list + "|", foldCase).find(Folded("|" + name + "|", foldCase)) !=
           std::string::npos;
}

// A piece of a random pattern with what it means, so that the reference needs no parser:
// kind 'l' matches one of `chars`; 'n' a character neither '/' nor one of `chars`; '*' any
// text without '/'; 'D' ("**") any text, and with a '/' after it also none.
struct Atom {
    std::string_view text;
    char kind;
    std::string_view chars;
    bool IsSlash() const { return chars == "/" && kind == 'l'; }
    bool IsStar() const { return kind == '*' || kind == 'D'; }
};
const Atom Atoms[] = {
    {"a", 'l', "a"},      {"A", 'l', "A"},    {"b", 'l', "b"},      {"/", 'l', "/"},
    {"?", 'n', ""},       {"*", '*', ""},     {"**", 'D', ""},      {"[ab]", 'l', "ab"},
    {"[a-b]", 'l', "ab"}, {"[!a]", 'n', "a"}, {"[^/a]", 'n', "/a"}, {"[!/]", 'n', "/"},
    {"[]a]", 'l', "]a"},  {"[*]", 'l', "*"},  {"[[]", 'l', "["},    {"]", 'l', "]"},
    {"!", 'l', "!"},      {"-", 'l', "-"},    {"\\*", 'l', "*"},    {"\\a", 'l', "a"},
    {"[A-B]", 'l', "AB"}, {"\\", 'l', "/"},   {"[", 'l', "["}};
// Linux's escapes, Windows' separator, an unclosed bracket (only last).
const Atom *const Escaped = &Atoms[18], *const Backslash = &Atoms[21], *const Unclosed = &Atoms[22];
using AtomList = std::vector<const Atom*>;

// fnmatch with FNM_PATHNAME, and "**", by backtracking over a whole text (slow).
bool Match(AtomList::const_iterator p, AtomList::const_iterator end, std::string_view t,
           bool fold) {
    if (p != end && (*p)->IsStar()) {
        if ((*p)->kind == 'D' && p + 1 != end && p[1]->IsSlash() && Match(p + 2, end, t, fold)) {
            return true;
        }
        for (std::size_t skip = 0; skip <= t.size(); ++skip) {
            if (Match(p + 1, end, t.substr(skip), fold)) {
                return true;
            }
            if (skip < t.size() && t[skip] == '/' && (*p)->kind == '*') {
                return false;
            }
        }
        return false;
    }
    if (p == end || t.empty()) {
        return p == end && t.empty();
    }
    const bool listed =
        Folded(std::string((*p)->chars), fold).find(Folded({t[0]}, fold)) != std::string::npos;
    return ((*p)->kind == 'l' ? listed : !listed && t[0] != '/') &&
           Match(p + 1, end, t.substr(1), fold);
}

// A random pattern's text, and what the rules make of it: a trailing '/' goes, a leading '/'
// anchors it at the root; unanchored, it matches a folder's name too.
struct Pattern {
    std::string text;
    AtomList atoms;
    bool anchored = false;

    Pattern(std::mt19937& random, bool windows) {
        for (std::size_t length = 1 + random() % 5; length > 0;) {
            const Atom* atom = &Atoms[random() % std::size(Atoms)];
            if (!(atom->IsStar() && !atoms.empty() && atoms.back()->IsStar()) && // no "***"
                !(atom == Unclosed && length > 1) &&
                (windows ? atom != Escaped && atom != Escaped + 1 : atom != Backslash)) {
                atoms.push_back(atom);
                text += atom->text;
                --length;
            }
        }
        while (atoms.size() > 1 && atoms.back()->IsSlash()) {
            atoms.pop_back();
        }
        anchored = atoms.front()->IsSlash();
        atoms.erase(atoms.begin(), atoms.begin() + (anchored ? 1 : 0));
    }
    bool Excludes(std::string_view path, std::string_view name, bool foldCase) const {
        return Match(atoms.begin(), atoms.end(), path, foldCase) ||
               (!anchored && Match(atoms.begin(), atoms.end(), name, foldCase));
    }
};

// Folder after folder as the scan and the removal's walk match them, from a path as the
// removal starts below a row, and whole paths as its re-check of a row does.
TEST(ListingRules, ExclusionsAgreeWithAPlainMatcherAlongTheWalkAndOnPaths) {
    std::mt19937 random(23);
    for (bool windows : {false, true}) {
        for (int trial = 0; trial < 20000; ++trial) {
            ListingRules rules(windows ? '\\' : '/');
            std::vector<Pattern> patterns;
            std::string where = windows ? " on Windows:" : ":";
            for (std::size_t count = 1 + random() % 2; count > 0; --count) {
                patterns.emplace_back(random, windows);
                rules.AddExclude(patterns.back().text);
                where += " '" + patterns.back().text + "'";
            }
            ListingRules::ExclusionState state = rules.RootState();
            std::string path, joined; // joined: either separator on Windows
            bool onTheWay = false;
            for (std::size_t depth = 1 + random() % 4; depth > 0; --depth) {
                std::string name;
                for (std::size_t length = 1 + random() % 3; length > 0; --length) {
                    name += "aAbB*[]"[random() % 7];
                }
                if (!joined.empty()) {
                    ASSERT_EQ(rules.ExcludesSubFolder(rules.FolderState(joined), name),
                              rules.ExcludesSubFolder(state, name))
                        << joined << " then " << name << where;
                }
                path += (path.empty() ? "" : "/") + name;
                joined += (joined.empty() ? "" : windows && random() % 2 ? "\\" : "/") + name;
                const bool expected = std::any_of(patterns.begin(), patterns.end(), [&](auto& p) {
                    return p.Excludes(path, name, windows);
                });
                ASSERT_EQ(rules.ExcludesSubFolder(state, name), expected) << joined << where;
                ASSERT_EQ(rules.Excludes(joined), expected) << joined << where;
                onTheWay = onTheWay || expected;
                ASSERT_EQ(rules.ExcludesOrLiesIn(joined), onTheWay) << joined << where;
                state = rules.SubFolderState(state, name);
            }
        }
    }
}

// 1 to 2 of the '|'-separated `pieces`.
std::string RandomName(std::mt19937& random, const std::string& pieces) {
    std::string name;
    for (std::size_t count = 1 + random() % 2; count > 0; --count) {
        std::size_t start = 0;
        for (std::size_t skip = random() % (1 + std::count(pieces.begin(), pieces.end(), '|'));
             skip > 0; --skip) {
            start = pieces.find('|', start) + 1;
        }
        name += pieces.substr(start, pieces.find('|', start) - start);
    }
    return name;
}

// Junk: the common names and the given one, ASCII case ignored, and "._" before a name (an
// AppleDouble file's; "._" alone is a file like any other). Protected: exact on Linux,
// without case on Windows; lost+found only at the top of a file system, asked for it alone.
TEST(ListingRules, NamesAgreeWithTheirLists) {
    std::mt19937 random(7);
    const std::string junk =
        "._|.|_|Thumbs.db|tHUMBS.DB|z|Z|\xc3\xa9|\xc3\x89|Icon|\r|.DS_STORE|desktop.ini";
    for (int trial = 0; trial < 6000; ++trial) {
        ListingRules rules;
        rules.AddCommonJunk();
        const std::string given = RandomName(random, junk), name = RandomName(random, junk);
        rules.AddJunkName(given);
        ASSERT_EQ(rules.IsJunkName(name),
                  (name.size() > 2 && name.starts_with("._")) ||
                      Lists("Thumbs.db|desktop.ini|.DS_Store|Icon\r|" + given, name, true))
            << name << " with " << given;
    }
    const std::string names = ".git|.GIT|CVS|cvs|.Trash|.trash-|-1|x|lost+found|LOST+FOUND|tmp|"
                              "New|$Recycle.Bin|recycler|_darcs|.jj|.pijul|.hg|.svn|.bzr|"
                              "System Volume Information";
    for (bool windows : {false, true}) {
        const ListingRules rules(windows ? '\\' : '/');
        auto isProtected = [&](const std::string& name) {
            return Lists(".git|.hg|.svn|.bzr|_darcs|CVS|.jj|.pijul|.Trash|$RECYCLE.BIN|"
                         "$Recycle.Bin|RECYCLER|System Volume Information",
                         name, windows) ||
                   Folded(name.substr(0, 7), windows) == Folded(".Trash-", windows);
        };
        for (int trial = 0; trial < 3000; ++trial) {
            std::string first = RandomName(random, names), path = first;
            bool expected = isProtected(first);
            for (std::size_t depth = random() % 3; depth > 0; --depth) {
                std::string name = RandomName(random, names);
                path += (windows && random() % 2 ? "\\" : "/") + name;
                expected = expected || isProtected(name);
            }
            const bool top = random() % 2 != 0;
            bool asked = false;
            auto rootIsTop = [&] {
                asked = true;
                return top;
            };
            const bool lostAndFound = Folded(first, windows) == "lost+found";
            const std::string where =
                path + (top ? " at the top" : "") + (windows ? ", Windows" : "");
            ASSERT_EQ(rules.ProtectsOrLiesIn(path, rootIsTop), expected || (lostAndFound && top))
                << where;
            ASSERT_EQ(asked, lostAndFound) << where;
            ASSERT_EQ(rules.ProtectsSubFolder(first, rootIsTop),
                      isProtected(first) || (lostAndFound && top))
                << where;
            ASSERT_EQ(rules.MaildirBit(first) != 0, Lists("cur|new|tmp", first, windows)) << where;
        }
    }
}

// What random patterns never hold: a leading "./" anchors as '/' does; many stars on a long
// name end at once (each position of a pattern is live once per character). A folder
// changed at the very second of the cutoff, or of unknown age, is kept.
TEST(ListingRules, DotSlashManyStarsAndTheAgeLimit) {
    ListingRules rules('/');
    rules.AddExclude("./py/");
    EXPECT_TRUE(rules.Excludes("py"));
    EXPECT_FALSE(rules.Excludes("a/py"));
    rules.AddExclude("*a*a*a*a*a*a*a*a*a*a*a*a*b");
    EXPECT_FALSE(rules.Excludes(std::string(250, 'a')));
    rules.SetChangedSince(100);
    EXPECT_TRUE(rules.ChangedRecently(100) && rules.ChangedRecently(std::nullopt));
    EXPECT_FALSE(rules.ChangedRecently(99));
}

} // namespace
