#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Reads the open file `fd` from where it stands until its end or until `limit` bytes,
// going on after a signal. nullopt, with errno telling why, when a read fails.
std::optional<std::string> ReadAtMost(int fd, std::size_t limit);
