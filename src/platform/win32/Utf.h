#pragma once

#include <string>
#include <string_view>

// Lossless conversion between the core's UTF-8 text and Windows' UTF-16. An unpaired
// surrogate, which Windows allows in names, travels as WTF-8 and comes back unchanged.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
