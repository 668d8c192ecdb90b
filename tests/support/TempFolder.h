#pragma once

#include <filesystem>
#include <string>

// A fresh folder below the system's temporary folder, removed with everything in it when
// the test ends. Works the same on Linux and on Windows (Wine).
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The path of `relative` inside the folder, as the core's UTF-8 text.
    std::string Text(const std::filesystem::path& relative = {}) const;

  private:
    std::filesystem::path path_;
};

// A path as the core's UTF-8 text, with the platform's own separators.
std::string PathText(const std::filesystem::path& path);

// Writes `bytes` to a file, exactly, creating its folder when needed.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

// The exact bytes of a file; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
