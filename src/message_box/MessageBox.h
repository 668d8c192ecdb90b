#pragma once

#include "platform/MessageBoxPlatform.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// The system's only way of showing a message or asking a question.
namespace MessageBox {

// Styles and results of the platform's message box that the callers use.
inline constexpr std::int32_t StyleYesNo = 4;
inline constexpr std::int32_t StyleStopIcon = 16;
inline constexpr std::int32_t StyleQuestionIcon = 32;
inline constexpr std::int32_t StyleInformationIcon = 64;
inline constexpr std::int32_t ResultYes = 6;
inline constexpr std::int32_t ResultNo = 7;

// The options word, the fourth argument of ShowMessageBox.
inline constexpr std::int32_t OptionCustomIcon = 1;     // put BoxIcons' picture into the box
inline constexpr std::int32_t OptionButtonCaptions = 2; // relabel from ButtonCaptions (alone)
inline constexpr std::int32_t OptionAutoClose = 4;      // press Enter after AutoCloseInterval
inline constexpr std::int32_t OptionCenterOwner = 8;    // centre over the owner form

// Settings a caller may set before a call. No caller in this program does.
extern std::int32_t AutoCloseInterval; // milliseconds; 0 or below starts no timer
// By icon kind 1 (stop) to 4 (information); slot 0 is unused. An empty slot that is used
// receives an empty picture (handle 0).
extern std::array<std::optional<Picture>, 5> BoxIcons;
// By button id 1 (OK) to 9 (Help); slot 0 is unused. Empty keeps the standard label.
extern std::array<std::string, 10> ButtonCaptions;

// The platform the service shows its boxes on; set once at start-up (tests set a fake).
void SetPlatform(MessageBoxPlatform* platform);

// Raises the application's active form, shows a modal box owned by it and returns the id
// of the button that closed it (0 when the platform call fails).
std::int32_t ShowMessageBox(const std::string& text, const std::string& title, std::int32_t style,
                            std::int32_t options);

} // namespace MessageBox
