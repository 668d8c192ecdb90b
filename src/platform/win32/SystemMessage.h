#pragma once

#include <windows.h>
#undef MessageBox

#include <string>

// The system's text for a GetLastError code, without the closing full stop and line break,
// as UTF-8; "error N" when the system has none.
std::string SystemMessage(DWORD error);
