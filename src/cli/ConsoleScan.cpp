#include "cli/ConsoleScan.h"

#include "cli/CommandLine.h"
#include "scan/EmptyFolderScan.h"
#include "scan/ListingRules.h"
#include "platform/FileSystem.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <utility>

namespace {

// The console has no window: no events to run and no Stop button.
class ConsoleScanHost : public ScanHost {
  public:
    ConsoleScanHost(bool readOnly, std::function<bool()> stopRequested)
        : readOnly_(readOnly), stopRequested_(std::move(stopRequested)) {}
    void DoEvents() override {}
    bool StopRequested() const override { return stopRequested_ && stopRequested_(); }
    int ReadOnlyOptionValue() const override { return readOnly_ ? 1 : 0; }

  private:
    bool readOnly_;
    std::function<bool()> stopRequested_;
};

// The patterns of an --exclude-from file, or nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadPatternFile(const std::string& path) {
    std::u8string utf8(path.begin(), path.end());
    std::ifstream file(std::filesystem::path(utf8), std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<std::string> patterns;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() != '#') {
            patterns.push_back(line);
        }
    }
    if (file.bad()) {
        return std::nullopt;
    }
    return patterns;
}

bool EndsWithSeparator(const std::string& path, char separator) {
    return !path.empty() && (path.back() == separator || (separator == '\\' && path.back() == '/'));
}

} // namespace

std::optional<unsigned> ScanThreads(const CommandLine& commandLine) {
    auto given = commandLine.values.find(ThreadsOption);
    if (given == commandLine.values.end()) {
        return DefaultScanThreads;
    }
    const std::string& text = given->second;
    unsigned threads = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), threads);
    if (error != std::errc() || end != text.data() + text.size() || threads < 1 || threads > 1024) {
        return std::nullopt;
    }
    return threads;
}

std::optional<ListingRules> ListingRulesFrom(const CommandLine& commandLine, char separator,
                                             ConsoleStream err) {
    ListingRules rules(separator);
    std::vector<std::string> patterns = commandLine.All(ExcludeOption);
    for (const std::string& path : commandLine.All(ExcludeFromOption)) {
        std::optional<std::vector<std::string>> read = ReadPatternFile(path);
        if (!read) {
            std::fprintf(err.file, "vacantor-cli: cannot read the patterns in %s\n",
                         err.Shown(path).c_str());
            return std::nullopt;
        }
        patterns.insert(patterns.end(), read->begin(), read->end());
    }
    for (const std::string& pattern : patterns) {
        if (pattern.empty()) {
            std::fputs("vacantor-cli: an empty pattern excludes nothing\n", err.file);
            return std::nullopt;
        }
        rules.AddExclude(pattern);
    }
    for (const std::string& name : commandLine.All(JunkOption)) {
        if (name.empty()) {
            std::fputs("vacantor-cli: an empty name is no junk file\n", err.file);
            return std::nullopt;
        }
        rules.AddJunkName(name);
    }
    if (commandLine.Has(JunkCommonFlag)) {
        rules.AddCommonJunk();
    }
    return rules;
}

bool ScanRootFolder(FileSystem& fileSystem, const std::string& root, bool readOnly,
                    unsigned threads, ResultList& list, std::string& scannedRoot, ConsoleStream err,
                    std::function<bool()> stopRequested,
                    std::optional<FolderIdentity>* rootIdentity, const ListingRules* rules,
                    std::function<void(bool holdsJunk)> beforeRow) {
    if (!fileSystem.FolderExists(root)) {
        std::fprintf(err.file, "vacantor-cli: not a folder: %s\n", err.Shown(root).c_str());
        return false;
    }
    scannedRoot = root;
    if (EndsWithSeparator(scannedRoot, fileSystem.PathSeparator())) {
        scannedRoot.pop_back();
    }
    ConsoleScanHost host(readOnly, std::move(stopRequested));
    EmptyFolderScan scan(fileSystem, list, host, scannedRoot, ReadAheadSettings(threads), rules);
    scan.OnRowJunk(std::move(beforeRow));
    scan.ScanFolder(scannedRoot);
    if (rootIdentity) {
        *rootIdentity = scan.RootIdentity();
    }
    if (scan.RootUnreadable()) {
        std::fprintf(err.file, "vacantor-cli: cannot read folder: %s\n", err.Shown(root).c_str());
        return false;
    }
    return true;
}
