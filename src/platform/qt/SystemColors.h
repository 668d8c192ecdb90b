#pragma once

#include <QBrush>

#include <cstdint>

// A colour in the list control's encoding: with the high bit set, the low bits name a
// system colour by its index; otherwise it is 0x00BBGGRR. System colours come from the
// application's palette.
QBrush ColorFromControlEncoding(std::uint32_t color);
