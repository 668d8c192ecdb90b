#pragma once

#include "fakes/FakeFileSystem.h"
#include "fakes/FakeScanHost.h"
#include "scan/ReadAhead.h"

#include <ostream>
#include <string>
#include <vector>

class ListingRules;

// What a scan gave. Rows read "number path", with '/' between names whatever the platform's
// separator and " junk" after a folder whose subtree holds junk files; notes read "kind path"
// (ScanNote's number), in the order given.
struct Scanned {
    std::vector<std::string> rows;
    std::vector<std::string> notes;
    bool subtreeEmpty = false;
    bool rootUnreadable = false;
    int doEventsCalls = 0;

    bool operator==(const Scanned&) const = default;
};

void PrintTo(const Scanned& scanned, std::ostream* os);

Scanned Scan(FileSystem& fileSystem, const std::string& root, FakeScanHost& host,
             ReadAheadSettings settings = {}, const ListingRules* rules = nullptr);

// A scan of the fake's whole tree.
inline Scanned ScanFake(FakeFileSystem& fileSystem, FakeScanHost& host,
                        ReadAheadSettings settings = {}) {
    return Scan(fileSystem, fileSystem.RootPath(), host, std::move(settings));
}

// Starts threads until `startable` have started, then fails as a system short of memory or
// processes does; counts them in `started`.
std::function<std::thread(std::function<void()>)> StartingAtMost(int startable, int& started);

// The rows only, with the read-only option unchecked.
std::vector<std::string> ScanRows(FileSystem& fileSystem, const std::string& root,
                                  ReadAheadSettings settings = {},
                                  const ListingRules* rules = nullptr);

// The walk reading every folder itself.
inline const ReadAheadSettings WalkAlone{1};

// The paths of the rows, sorted by their bytes, for tests of which folders are found rather
// than of their order. Checks on the way that the rows are numbered 0, 1, 2...
std::vector<std::string> PathsOnly(std::vector<std::string> rows);

// What the scan must give on the fake's tree, found by the rules written as plainly as
// possible: a recursive walk over the tree in the natural order, failures included, with
// the `rules`' junk names and exclusions (matched on whole paths) if any.
Scanned PlainWalk(FakeFileSystem& tree, int readOnlyOption, const ListingRules* rules = nullptr);

// A tree shaped like the benchmark's (bench/generate_tree.py), wide and deep in parts, with
// files in random folders, so many subtrees hold none. The same seed gives the same tree.
struct RandomTree {
    std::vector<std::string> folders; // relative paths with '/', in the order made
    std::vector<std::string> entries; // for MakeTree and FakeFileSystem::Add: "a/b/", "a/f"
};

RandomTree MakeRandomTree(unsigned seed, int folders, int files);
