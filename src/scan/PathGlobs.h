#pragma once

#include <bitset>
#include <cstdint>
#include <string_view>
#include <vector>

// Globs matched along a walk of a tree, one folder name after the other. Each folder hands
// its subfolders a State, where the globs stand after its path, so that matching a folder
// costs work in proportion to its own name, never to its whole path, and no level keeps
// its path.
//
// The rules are fnmatch's with FNM_PATHNAME on paths with '/' between names: '*' and '?'
// never match '/', nor does a bracket expression ('[...]'; '!' or '^' negates; an unclosed
// '[' is an ordinary character); with `escapes`, '\' quotes the next character. "**"
// matches any text, '/' included, and "**/" also matches none at all. With `foldCase`,
// ASCII letters compare without case.
//
// Each glob is compiled to a small automaton whose live positions are carried as a set, so
// a glob of many stars costs at most its length for each character: no backtracking.
class PathGlobs {
  public:
    // Where the globs stand below a folder: after its path and the '/' that follows it.
    class State {
        friend class PathGlobs;
        std::vector<std::uint32_t> live_; // positions in `steps_`, ascending
    };

    PathGlobs(bool escapes, bool foldCase) : escapes_(escapes), foldCase_(foldCase) {}

    // `pathOnly`: the glob is matched against a folder's path only, else against its name too.
    void Add(std::string_view glob, bool pathOnly);
    bool Empty() const { return pathStart_.empty(); }

    // Below the root: its subfolders' paths are their names.
    State Root() const;
    // True when the path of the subfolder `name` of the folder with state `folder`, or for a
    // glob not pathOnly its name, matches a glob.
    bool Matches(const State& folder, std::string_view name) const;
    // The state below that subfolder.
    State Below(const State& folder, std::string_view name) const;

  private:
    enum class Kind : std::uint8_t {
        Byte,        // one character (folded)
        AnyButSlash, // '?'
        Class,       // a bracket expression
        Star,        // '*': any characters but '/'
        DeepEntry,   // where "**" starts: may skip a '/' right after it
        DeepLoop,    // "**" under way: any characters
        Accept,      // the end of a glob
    };
    struct Step {
        Kind kind;
        char byte = 0;
        bool skipsSlash = false; // DeepEntry: "**/" may match nothing
        std::uint32_t set = 0;   // Class: its index in `classes_`
    };
    using Positions = std::vector<std::uint32_t>;

    void Run(Positions& live, std::string_view text, Positions& pending) const;
    void Advance(Positions& live, char c, Positions& pending) const;
    void Close(Positions& pending, Positions& closed) const;
    bool Accepts(const Positions& live) const;

    bool escapes_;
    bool foldCase_;
    std::vector<Step> steps_;
    std::vector<std::bitset<256>> classes_;
    Positions pathStart_; // where every glob starts
    Positions nameStart_; // where the globs that match names too start
};
