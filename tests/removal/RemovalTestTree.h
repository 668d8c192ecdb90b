#pragma once

#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/HeldRoot.h"
#include "removal/FolderRemovalHook.h"
#include "removal/RemovalResults.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// What the removal tests need of the platform beyond std::filesystem.

// A link at `link` to the folder `target`: a symbolic link on Linux, a junction or a
// symbolic link on Windows. False when the platform cannot make one (Wine, say).
bool MakeFolderLink(const std::filesystem::path& link, const std::filesystem::path& target);

// The permission bits on Linux, the attributes on Windows: what must not change on a
// folder that survives a removal. NoBits when there is nothing at the path.
inline constexpr std::uint32_t NoBits = 0xFFFFFFFF;
std::uint32_t PermissionBits(const std::filesystem::path& path);

// A chain of nested folders below `top`, deeper than any path length limit; true.
bool MakeDeepChain(const std::filesystem::path& top);

#ifndef _WIN32
#include "platform/posix/PosixHeldFolders.h"

struct PosixRemovalOptions : PosixHeldFoldersOptions {
    AfterFolderCheckedHook afterChecked;
};

// The removal over the POSIX primitives with options of the tests' choosing.
inline std::unique_ptr<FolderRemoval> CreatePosixFolderRemoval(PosixRemovalOptions options) {
    PosixHeldFoldersOptions primitives = options;
    return CreateFolderRemoval(
        [primitives](const HeldRoot& root, FolderStatus& failure) {
            return HoldPosixFolders(root, primitives, failure);
        },
        std::move(options.afterChecked));
}
#endif

// One run on `root`, held as a scan holds it, that removes the rows in turn, or moves them
// to the trash.
inline std::vector<RemovalResult> RemoveRows(FolderRemoval& removal, const std::string& root,
                                             const std::vector<std::string>& rows,
                                             bool toTrash = false) {
    RemovalResult failure = MakeRemovalResult(RemovalOutcome::Vanished);
    std::unique_ptr<Folder> folder = CreateSystemFileSystem()->GetFolder(root);
    std::shared_ptr<const HeldRoot> held = folder ? folder->HoldRoot() : nullptr;
    std::unique_ptr<RemovalRun> run = held ? removal.OpenRun(*held, failure) : nullptr;
    std::vector<RemovalResult> results;
    for (const std::string& row : rows) {
        results.push_back(!run      ? failure
                          : toTrash ? run->TrashFolder(row)
                                    : run->DeleteFolder(row));
    }
    return results;
}
inline RemovalResult RemoveRow(FolderRemoval& removal, const std::string& root,
                               const std::string& relativePath) {
    return RemoveRows(removal, root, {relativePath}).front();
}
