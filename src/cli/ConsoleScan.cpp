#include "cli/ConsoleScan.h"

#include "cli/CommandLine.h"
#include "cli/PatternFile.h"
#include "cli/Progress.h"
#include "scan/EmptyFolderScan.h"
#include "scan/ListingRules.h"
#include "platform/FileSystem.h"
#include "platform/ResultList.h"

#include <charconv>
#include <cstdio>
#include <utility>

namespace {

// The console has no window: no events to run and no Stop button. The scan comes here once
// for every folder it reaches, which is where the progress line counts them.
class ConsoleScanHost : public ScanHost {
  public:
    ConsoleScanHost(bool readOnly, std::function<bool()> stopRequested, Progress* progress,
                    const ResultList& list)
        : readOnly_(readOnly), stopRequested_(std::move(stopRequested)), progress_(progress),
          list_(list) {}
    void DoEvents() override {
        if (progress_) {
            progress_->FolderRead(list_.RowCount());
        }
    }
    bool StopRequested() const override { return stopRequested_ && stopRequested_(); }
    int ReadOnlyOptionValue() const override { return readOnly_ ? 1 : 0; }

  private:
    bool readOnly_;
    std::function<bool()> stopRequested_;
    Progress* progress_;
    const ResultList& list_;
};

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
                                             ConsoleStream err, bool& unreadable) {
    ListingRules rules(separator);
    std::vector<std::string> patterns = commandLine.All(ExcludeOption);
    for (const std::string& path : commandLine.All(ExcludeFromOption)) {
        std::string failure;
        std::optional<std::vector<std::string>> read = ReadPatternFile(path, failure);
        if (!read) {
            err.Write("vacantor-cli: cannot read the patterns in " + err.Shown(path) + ": " +
                      failure + "\n");
            unreadable = true;
            return std::nullopt;
        }
        patterns.insert(patterns.end(), read->begin(), read->end());
    }
    for (const std::string& pattern : patterns) {
        if (pattern.empty()) {
            return std::nullopt;
        }
        rules.AddExclude(pattern);
    }
    for (const std::string& name : commandLine.All(JunkOption)) {
        if (name.empty()) {
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
                    std::shared_ptr<const HeldRoot>* scannedRootHold, const ListingRules* rules,
                    std::function<void(bool holdsJunk)> beforeRow) {
    if (!fileSystem.FolderExists(root)) {
        err.Write("vacantor-cli: not a folder: " + err.Shown(root) + "\n");
        return false;
    }
    scannedRoot = root;
    if (EndsWithSeparator(scannedRoot, fileSystem.PathSeparator())) {
        scannedRoot.pop_back();
    }
    ConsoleScanHost host(readOnly, std::move(stopRequested), err.progress, list);
    EmptyFolderScan scan(fileSystem, list, host, scannedRoot, ReadAheadSettings(threads), rules);
    scan.OnRowJunk(std::move(beforeRow));
    scan.ScanFolder(scannedRoot);
    if (err.progress) {
        err.progress->ScanEnded(list.RowCount());
    }
    if (scannedRootHold) {
        *scannedRootHold = scan.ScannedRoot();
    }
    // Rows that are missing for want of descriptors or memory must not pass for a complete
    // answer.
    if (scan.RanShort()) {
        err.Write("vacantor-cli: the scan of " + err.Shown(root) +
                  " stopped: too many open files, or too little memory\n");
        return false;
    }
    if (scan.RootUnreadable()) {
        err.Write("vacantor-cli: cannot read folder: " + err.Shown(root) + "\n");
        return false;
    }
    return true;
}

std::optional<ScanCommandLine>
ParseScanCommandLine(const std::vector<std::string>& arguments,
                     std::initializer_list<std::string_view> flags,
                     std::initializer_list<std::string_view> valueOptions, char separator,
                     const char* usage, ConsoleStream err, int& exitStatus) {
    std::optional<CommandLine> options = ParseCommandLine(arguments, flags, valueOptions);
    std::optional<unsigned> threads = options ? ScanThreads(*options) : std::nullopt;
    bool unreadable = false;
    std::optional<ListingRules> rules =
        threads ? ListingRulesFrom(*options, separator, err, unreadable) : std::nullopt;
    if (!rules) {
        if (!unreadable) {
            std::fputs(usage, err.file);
        }
        exitStatus = unreadable ? 1 : 2;
        return std::nullopt;
    }
    return ScanCommandLine{std::move(*options), *threads, std::move(*rules)};
}
