#pragma once

#include <string>
#include <vector>

// A tree shaped like the benchmark's (bench/generate_tree.py): each folder hangs below the
// newest folder or a random earlier one, which gives wide and deep parts, and files land in
// random folders, so that many subtrees hold none. The same seed gives the same tree.
struct RandomTree {
    std::vector<std::string> folders; // relative paths with '/', in the order made
    std::vector<std::string> entries; // for MakeTree and FakeFileSystem::Add: "a/b/", "a/f"
};

RandomTree MakeRandomTree(unsigned seed, int folders, int files);
