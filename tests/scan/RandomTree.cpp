#include "scan/RandomTree.h"

#include <random>

RandomTree MakeRandomTree(unsigned seed, int folders, int files) {
    constexpr int MaxDepth = 12;
    std::mt19937 random(seed);
    RandomTree tree;
    std::vector<int> depths;
    auto anyFolder = [&] { return static_cast<int>(random() % (tree.folders.size() + 1)) - 1; };
    for (int index = 0; index < folders; ++index) {
        // -1 stands for the root.
        int parent = random() % 100 < 35 ? static_cast<int>(tree.folders.size()) - 1 : anyFolder();
        if (parent >= 0 && depths[parent] >= MaxDepth) {
            parent = anyFolder();
        }
        std::string name = "d";
        name += std::to_string(index);
        tree.folders.push_back(parent < 0 ? name : tree.folders[parent] + "/" + name);
        depths.push_back(parent < 0 ? 1 : depths[parent] + 1);
        tree.entries.push_back(tree.folders.back() + "/");
    }
    for (int index = 0; index < files; ++index) {
        int folder = anyFolder();
        std::string name = "f";
        name += std::to_string(index);
        name += ".txt";
        tree.entries.push_back(folder < 0 ? name : tree.folders[folder] + "/" + name);
    }
    return tree;
}
