#include "scan/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// Each list is in natural order, first to last (the other way round: the total order).
TEST(NaturalOrder, OrdersNamesAsAFileManagerShowsThem) {
    const std::vector<std::vector<std::string>> orders = {
        {"IMG_2", "IMG_10", "IMG_0054", "IMG_0071", "IMG_100"},
        {"1", "01", "001", "2", "10", "0010", "99999999999999999999", "100000000000000000000"},
        {"-dash", ".hidden", "0", "9 lives", "a", "A1", "a2", "b"},
        {"Photos", "photos 2", "Photos 10"},
        {"E", "e", "\xc3\x89", "\xc3\xa9", "ezz", "f"},      // É and é beside e
        {"ae", "A\xc3\x89", "Ae\xcc\x81"},                   // an accent weighs more than case
        {"resume", "r\xc3\xa9sum\xc3\xa9", "Resumes"},       // résumé
        {"\xc3\x85ngstr\xc3\xb6m", "Zebra", "\xce\xb1"},     // Ångström by A, Greek after
        {"a", "ab", "a\xc3\xa9", "a\x80", "a\xc3", "a\xff"}, // bytes that are no UTF-8 last
    };
    for (const auto& order : orders) {
        for (std::size_t i = 0; i + 1 < order.size(); ++i) {
            EXPECT_LT(CompareNaturally(order[i], order[i + 1]), 0)
                << order[i] << " before " << order[i + 1];
        }
    }
}

// A sort must see a strict total order: no two different names equal, no cycles, so the
// same names give the same rows whatever order a disk returns them in.
TEST(NaturalOrder, IsATotalOrderOnAnyBytes) {
    const std::string pieces[] = {"a",        "A",    "b",    "0",           "00", "1",
                                  "10",       "9",    "_",    " ",           ".",  "\xc3\xa9",
                                  "\xc3\x89", "\xc3", "\xff", "\xe2\x82\xac"};
    std::mt19937 random(7);
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        std::string name;
        for (std::size_t n = random() % 5 + 1; n > 0; --n) {
            name += pieces[random() % std::size(pieces)];
        }
        names.push_back(name);
    }
    for (const std::string& a : names) {
        for (const std::string& b : names) {
            const int order = CompareNaturally(a, b);
            EXPECT_EQ(order == 0, a == b) << a << " | " << b;
            EXPECT_EQ(order, -CompareNaturally(b, a)) << a << " | " << b;
        }
    }
    std::vector<std::string> shuffled = names;
    std::sort(names.begin(), names.end(), NaturallyBefore);
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::sort(shuffled.begin(), shuffled.end(), NaturallyBefore);
    EXPECT_EQ(shuffled, names);
    for (std::size_t i = 0; i + 2 < names.size(); ++i) {
        EXPECT_LE(CompareNaturally(names[i], names[i + 2]), 0) << names[i];
    }
}

} // namespace
