#pragma once

#include "platform/WindowGeometry.h"

#include <optional>
#include <string>
#include <vector>

class ProfileFile;

// The placement kept in `section` of `file`; nullopt when a key is missing or is not a
// whole number, or a size is not positive: the window then opens as it always did.
std::optional<WindowPlacement> ReadWindowPlacement(ProfileFile& profile, const std::string& section,
                                                   const std::string& file);
void WriteWindowPlacement(ProfileFile& profile, const std::string& section,
                          const WindowPlacement& placement, const std::string& file);

// True when enough of the window's title bar lies on one of `screens` (their work areas)
// for the user to grab it.
bool ReachableOnScreens(const WindowPlacement& placement, const std::vector<PixelRect>& screens);
