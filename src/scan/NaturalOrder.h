#pragma once

#include <string_view>

// The order a file manager shows names in, the same on every platform and disk: runs of
// digits compare as numbers (IMG_2 before IMG_10), letters without regard to case or to
// the accents of Latin letters (é beside e), and other characters by code point. Names
// equal that way are ordered by their accents, then their case, then their bytes, so two
// different names never compare equal. Names are UTF-8; a byte that is not part of valid
// UTF-8 (Linux names are any bytes) sorts after every character, by its value.
//
// Negative when `a` comes first, zero when the names are the same, positive otherwise.
int CompareNaturally(std::string_view a, std::string_view b);

inline bool NaturallyBefore(std::string_view a, std::string_view b) {
    return CompareNaturally(a, b) < 0;
}
