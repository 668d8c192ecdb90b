#include "platform/posix/SettingsFolder.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string ConfigFolderName = "vacantor";

bool IsAbsolute(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string WithoutTrailingSlashes(std::string path) {
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    std::string home = Environment("HOME");
    if (IsAbsolute(home)) {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir) {
        return found->pw_dir;
    }
    return "";
}

bool SameFolder(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// mkdir -p with mode 0700 for every folder it makes.
bool MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string prefix = folder.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

class FolderMakingProfileFile final : public ProfileFile {
  public:
    FolderMakingProfileFile(std::unique_ptr<ProfileFile> inner, std::string folder)
        : inner_(std::move(inner)), folder_(std::move(folder)) {}

    // Without a folder the file's path names no file of ours: the empty path reads as a
    // missing file, which gives the default.
    std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue,
                                        std::string_view file) override {
        return inner_->GetPrivateProfileString(section, key, defaultValue,
                                               folder_.empty() ? std::string_view() : file);
    }

    bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                   std::string_view value, std::string_view file) override {
        if (folder_.empty()) {
            return false;
        }
        struct stat info {};
        if (::stat(folder_.c_str(), &info) != 0) {
            MakeFolders(folder_); // a failure shows as the write's own
        }
        return inner_->WritePrivateProfileString(section, key, value, file);
    }

  private:
    std::unique_ptr<ProfileFile> inner_;
    std::string folder_;
};

} // namespace

std::string ChooseSettingsFolder(const SettingsFolderFacts& facts) {
    if (!facts.programFolderShared &&
        (facts.fileBesideProgram ||
         (facts.programFolderWritable && !facts.programFolderInstalled))) {
        return facts.programFolder;
    }
    // The XDG base directory rules: a relative $XDG_CONFIG_HOME is ignored.
    std::string base;
    if (IsAbsolute(facts.xdgConfigHome)) {
        base = facts.xdgConfigHome;
    } else if (IsAbsolute(facts.home)) {
        base = WithoutTrailingSlashes(facts.home) + "/.config";
    } else {
        return facts.programFolderShared ? "" : facts.programFolder; // nowhere else
    }
    return WithoutTrailingSlashes(base) + "/" + ConfigFolderName;
}

SettingsFolderFacts GatherSettingsFolderFacts(const std::string& programFolder,
                                              const std::string& fileName,
                                              const std::string& installedFolder) {
    SettingsFolderFacts facts;
    facts.programFolder = programFolder;
    const std::string file = programFolder + "/" + fileName;
    struct stat info {};
    facts.fileBesideProgram = ::lstat(file.c_str(), &info) == 0;
    // access() asks for the real user, who is the one the program works for.
    facts.programFolderWritable = ::access(programFolder.c_str(), W_OK | X_OK) == 0;
    // Mode bits also show an ACL that lets others write: its mask is the group's bits.
    facts.programFolderShared = ::stat(programFolder.c_str(), &info) != 0 ||
                                (info.st_mode & (S_IWGRP | S_IWOTH)) != 0 ||
                                (info.st_uid != ::getuid() && info.st_uid != 0);
    facts.programFolderInstalled = SameFolder(programFolder, installedFolder);
    facts.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    facts.home = HomeFolder();
    return facts;
}

std::string InstalledProgramFolder() {
    return VACANTOR_INSTALLED_BINDIR;
}

std::unique_ptr<ProfileFile> CreateFolderMakingProfileFile(std::unique_ptr<ProfileFile> inner,
                                                           std::string folder) {
    return std::make_unique<FolderMakingProfileFile>(std::move(inner), std::move(folder));
}
