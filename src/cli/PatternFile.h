#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A pattern file (--exclude-from) is read whole, up to this size: a larger one is no list
// of patterns a person wrote, and the cap keeps /dev/zero from filling the memory.
inline constexpr std::size_t PatternFileMaxBytes = 16 * 1024 * 1024;
// No path is longer than this (a Windows long path is 32,767 UTF-16 units), so neither is a
// pattern that can match one.
inline constexpr std::size_t PatternLineMaxBytes = 128 * 1024;

// The patterns in the bytes of a pattern file, one a line; blank lines and lines that start
// with '#' are skipped, and a line may end with "\r\n". The text is UTF-8, with or without a
// byte-order mark, or UTF-16 of either byte order with its byte-order mark (converted to
// UTF-8; a lone surrogate as WTF-8, as names are on Windows). nullopt, with the reason in
// `failure`, for anything that cannot be such a file: a NUL character (UTF-16 without a
// byte-order mark has many), odd UTF-16, a file or a line past its cap.
std::optional<std::vector<std::string>> PatternsInFile(std::string_view bytes,
                                                       std::string& failure);

// Reads the pattern file at `path`, which may be a FIFO (a shell's process substitution).
// nullopt, with the reason in `failure`, when it cannot be read or is no pattern file.
std::optional<std::vector<std::string>> ReadPatternFile(const std::string& path,
                                                        std::string& failure);
