#pragma once

#include "platform/HeldTrash.h"

#include <memory>
#include <string>

// The freedesktop.org trash of `kind` for the entries of the folder `parentFd`, which must
// stay open while the trash is used; nullptr, with the reason in `failure` (Gone when there
// is none), when it cannot be opened.
std::unique_ptr<HeldTrash> OpenPosixTrash(int parentFd, TrashKind kind,
                                          const std::string& homeTrash, FolderStatus& failure);

// The path the open folder `fd` has now.
FolderStatus PathOfFolder(int fd, std::string& path);
