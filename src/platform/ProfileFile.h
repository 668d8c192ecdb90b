#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A settings file larger than this is not one of ours (or is damaged): it reads as missing
// and is never replaced. Far above any real settings file, small enough to read at once.
constexpr std::uint64_t MaximumProfileFileSize = std::uint64_t{1} << 20;

// The platform's two profile-file (INI) operations: kernel32's on Windows, our own
// reader and writer elsewhere. Text is UTF-8; the Windows side converts at its boundary.
class ProfileFile {
  public:
    virtual ~ProfileFile() = default;

    // The whole value of `key` in `section` of `file`, with the blanks around it and one
    // pair of enclosing quotation marks dropped; `defaultValue` (less trailing blanks) when
    // the file, the section or the key is missing or cannot be read, and when the file is
    // not a regular file of at most MaximumProfileFileSize bytes. Never cut short.
    virtual std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                                std::string_view defaultValue,
                                                std::string_view file) = 0;

    // Creates the file, section and key as needed and replaces the key's value, leaving
    // everything else in the file as it was. False when the file could not be written; a
    // file that the reader refuses is never written.
    virtual bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                           std::string_view value, std::string_view file) = 0;
};

// The platform's real implementation.
std::unique_ptr<ProfileFile> CreateSystemProfileFile();
