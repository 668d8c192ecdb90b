#include "main_window/WindowPlacement.h"

#include "settings/IniFileCommon.h"

#include <algorithm>
#include <charconv>

namespace {

const std::string LeftKey = "WindowLeft";
const std::string TopKey = "WindowTop";
const std::string WidthKey = "WindowWidth";
const std::string HeightKey = "WindowHeight";
const std::string MaximizedKey = "WindowMaximized";

// Far beyond any desktop; keeps the sums below from overflowing.
constexpr int LargestCoordinate = 1'000'000;
// The strip of the title bar that must show, and how much of it.
constexpr int TitleBarHeight = 20;
constexpr int LeastVisibleWidth = 40;

std::optional<int> ReadNumber(ProfileFile& profile, const std::string& section,
                              const std::string& key, const std::string& file) {
    std::string text;
    IniFileCommon::GetIniValue(profile, section, key, "", text, file);
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < -LargestCoordinate ||
        value > LargestCoordinate) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<WindowPlacement> ReadWindowPlacement(ProfileFile& profile, const std::string& section,
                                                   const std::string& file) {
    std::optional<int> left = ReadNumber(profile, section, LeftKey, file);
    std::optional<int> top = ReadNumber(profile, section, TopKey, file);
    std::optional<int> width = ReadNumber(profile, section, WidthKey, file);
    std::optional<int> height = ReadNumber(profile, section, HeightKey, file);
    if (!left || !top || !width || !height || *width <= 0 || *height <= 0) {
        return std::nullopt;
    }
    // A missing or odd flag only loses the maximized state, not the place.
    return WindowPlacement{*left, *top, *width, *height,
                           ReadNumber(profile, section, MaximizedKey, file) == 1};
}

void WriteWindowPlacement(ProfileFile& profile, const std::string& section,
                          const WindowPlacement& placement, const std::string& file) {
    IniFileCommon::SetIniValue(profile, section, LeftKey, std::to_string(placement.left), file);
    IniFileCommon::SetIniValue(profile, section, TopKey, std::to_string(placement.top), file);
    IniFileCommon::SetIniValue(profile, section, WidthKey, std::to_string(placement.width), file);
    IniFileCommon::SetIniValue(profile, section, HeightKey, std::to_string(placement.height), file);
    IniFileCommon::SetIniValue(profile, section, MaximizedKey, placement.maximized ? "1" : "0",
                               file);
}

// A screen unplugged since, or a resolution made smaller, can leave the kept place where no
// one can see or move the window.
bool ReachableOnScreens(const WindowPlacement& placement, const std::vector<PixelRect>& screens) {
    const int right = placement.left + placement.width;
    const int bottom = placement.top + TitleBarHeight;
    return std::any_of(screens.begin(), screens.end(), [&](const PixelRect& screen) {
        const int visibleWidth =
            std::min(right, screen.left + screen.width) - std::max(placement.left, screen.left);
        const int visibleHeight =
            std::min(bottom, screen.top + screen.height) - std::max(placement.top, screen.top);
        return visibleWidth >= LeastVisibleWidth && visibleHeight > 0;
    });
}
