#pragma once

#include "platform/FolderRemoval.h"
#include "platform/HeldFolders.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The result of a removal with the text the user reads. `platformText` (strerror,
// FormatMessageW) is added to the reason of a failure the outcomes do not name.
RemovalResult MakeRemovalResult(RemovalOutcome outcome, std::string_view platformText = {});

// What an operation on held folders that met `status` means for the folder being removed.
RemovalResult ResultOf(const FolderStatus& status);

// The names of the folders from the root down to the listed folder, or nullopt when the
// relative path does not name a folder strictly below the root: empty, ".", "..", an
// empty component or a leading separator. With the separator '\\', '/' separates too,
// as Windows reads it, and a ':' (a drive or a stream) is refused.
std::optional<std::vector<std::string>> SplitRelativePath(std::string_view relativePath,
                                                          char separator);

// The result for a relative path that SplitRelativePath refused.
RemovalResult RefusedPathResult();
