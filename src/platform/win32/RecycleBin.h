#pragma once

#include <windows.h>

#include "platform/HeldTrash.h"
#include "platform/win32/HeldFolder.h"

#include <memory>
#include <string>

// The Recycle Bin of the volume of the held folder `parent`, which must stay held while it
// is used; nullptr, with the reason in `failure`, when that volume has none (a network
// share, a removable disk).
std::unique_ptr<HeldTrash> OpenRecycleBin(const HeldFolder& parent, FolderStatus& failure);

// The path the held folder has now, as the system names it ("\\?\C:\a").
DWORD FinalPath(const HeldFolder& folder, std::wstring& path);

// A Win32 error in the terms of held folders.
FolderStatus FolderStatusOfError(DWORD error);
