#pragma once

#include <cstdint>
#include <string>

class MessageBoxPlatform;

// The system's only way of showing a message or asking a question.
namespace MessageBox {

// Styles and results of the platform's message box that the callers use.
inline constexpr std::int32_t StyleYesNo = 4;
inline constexpr std::int32_t StyleStopIcon = 16;
inline constexpr std::int32_t StyleQuestionIcon = 32;
inline constexpr std::int32_t StyleInformationIcon = 64;
inline constexpr std::int32_t ResultOk = 1;
inline constexpr std::int32_t ResultYes = 6;
inline constexpr std::int32_t ResultNo = 7;

// The platform the service shows its boxes on; set once at start-up (tests set a fake).
void SetPlatform(MessageBoxPlatform* platform);

// Raises the application's active form, shows a modal box owned by it and returns the id
// of the button that closed it (0 when the platform call fails).
std::int32_t ShowMessageBox(const std::string& text, const std::string& title, std::int32_t style,
                            std::int32_t options);

} // namespace MessageBox
