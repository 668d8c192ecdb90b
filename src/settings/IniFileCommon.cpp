#include "settings/IniFileCommon.h"

#include "platform/ProfileFile.h"
#include "settings/StringCommon.h"

namespace IniFileCommon {

// The platform hands back the whole stored value: a fixed read buffer would cut a long
// root folder, and a cut path can name a different folder that exists.
std::int32_t GetIniValue(ProfileFile& profile, const std::string& section, const std::string& key,
                         const std::string& defaultValue, std::string& value,
                         const std::string& file) {
    std::string stored =
        StringCommon::CutAtNull(profile.GetPrivateProfileString(section, key, defaultValue, file));
    value = StringCommon::UnescapeString(stored);
    return static_cast<std::int32_t>(stored.size());
}

bool SetIniValue(ProfileFile& profile, const std::string& section, const std::string& key,
                 std::string value, const std::string& file) {
    return profile.WritePrivateProfileString(section, key, StringCommon::EscapeString(value), file);
}

} // namespace IniFileCommon
