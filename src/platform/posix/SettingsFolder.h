#pragma once

#include "platform/ProfileFile.h"

#include <memory>
#include <string>

// Where the Linux program keeps its settings file: beside the program when the file is
// already there or the user may write that folder (portable use, the build tree), else in
// the user's configuration folder, $XDG_CONFIG_HOME/vacantor or ~/.config/vacantor. Never
// beside the program when someone else may write that folder: they could change the root
// folder the settings hold, or put a link in place of the file.

// What the choice depends on.
struct SettingsFolderFacts {
    std::string programFolder;
    bool fileBesideProgram = false;     // the settings file exists in programFolder
    bool programFolderWritable = false; // for the real user
    // Writable by its group or by others, or the folder of another user (other than root).
    bool programFolderShared = false;
    // The folder the package installs the program to: root may write it, but a file there
    // would belong to no package, so it never counts as writable.
    bool programFolderInstalled = false;
    std::string xdgConfigHome; // "" when unset
    std::string home;          // "" when unknown
};

// The decision, from the facts alone; "" when there is no folder the settings may be kept
// in (a shared program folder and no home).
std::string ChooseSettingsFolder(const SettingsFolderFacts& facts);

// The facts for the running user: write access judged for the real user and group,
// $XDG_CONFIG_HOME, and $HOME or else the user's home folder from the password database.
SettingsFolderFacts GatherSettingsFolderFacts(const std::string& programFolder,
                                              const std::string& fileName,
                                              const std::string& installedFolder);

// The folder `cmake --install` and the package put the program in.
std::string InstalledProgramFolder();

// `inner`, but every write first makes `folder` (mode 0700, with any missing parents) when
// it is missing: the user's configuration folder is made only once there is something to
// keep in it. With no folder ("") nothing is read or kept.
std::unique_ptr<ProfileFile> CreateFolderMakingProfileFile(std::unique_ptr<ProfileFile> inner,
                                                           std::string folder);
