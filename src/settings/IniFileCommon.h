#pragma once

#include <cstdint>
#include <string>

class ProfileFile;

// Single escaped values in a profile (INI) file.
namespace IniFileCommon {

// Reads `key` of `section` in `file` into `value`, decoded; `defaultValue` when it is
// missing. Returns the number of code units the stored (escaped) text holds.
std::int32_t GetIniValue(ProfileFile& profile, const std::string& section, const std::string& key,
                         const std::string& defaultValue, std::string& value,
                         const std::string& file);

// Stores `value`, escaped, as `key` of `section` in `file`. True on success.
bool SetIniValue(ProfileFile& profile, const std::string& section, const std::string& key,
                 std::string value, const std::string& file);

} // namespace IniFileCommon
