#include "cli/ConsoleScan.h"

#include "cli/CommandLine.h"
#include "cli/PatternFile.h"
#include "cli/Progress.h"
#include "platform/FileSystem.h"
#include "scan/EmptyFolderScan.h"
#include "scan/ListingRules.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <limits>
#include <filesystem>
#include <utility>

namespace {

// The console has no window: no events to run and no Stop button. The scan comes here once
// for every folder it reaches, which is where the progress line counts them.
class ConsoleScan final : public ScanHost, public ScanSink {
  public:
    ConsoleScan(const ScanRequest& request, ConsoleStream err, std::function<bool()> stopRequested,
                FoundRowHandler onRow, ScanOutcome& outcome)
        : request_(request), err_(err), stopRequested_(std::move(stopRequested)),
          onRow_(std::move(onRow)), outcome_(outcome) {}

    void DoEvents() override {
        if (err_.progress) {
            err_.progress->FolderRead(outcome_.found);
        }
    }
    bool StopRequested() const override { return stopRequested_ && stopRequested_(); }
    int ReadOnlyOptionValue() const override { return request_.readOnly ? 1 : 0; }

    void FolderFound(const FoundFolder& folder) override {
        if (onRow_) {
            onRow_(outcome_.found, folder);
        } else {
            outcome_.rows.emplace_back(folder.relativePath);
        }
        ++outcome_.found;
    }

    void FolderNoted(ScanNote note, std::string_view relativePath) override {
        outcome_.unreadable += note == ScanNote::Unreadable ? 1 : 0;
        if (request_.verbose) {
            const char* what = note == ScanNote::Unreadable  ? "cannot read "
                               : note == ScanNote::Protected ? "protected "
                                                             : "excluded ";
            err_.Write(std::string("vacantor-cli: ") + what + err_.Shown(relativePath) + "\n");
        }
    }

  private:
    const ScanRequest& request_;
    ConsoleStream err_;
    std::function<bool()> stopRequested_;
    FoundRowHandler onRow_;
    ScanOutcome& outcome_;
};

// "30d", "12h", "90m", "45s", "2w" in seconds; nullopt for anything else.
std::optional<std::int64_t> DurationSeconds(std::string_view text) {
    std::int64_t count = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (error != std::errc() || count < 0 || end + 1 != text.data() + text.size()) {
        return std::nullopt;
    }
    constexpr std::int64_t Minute = 60, Hour = 60 * Minute, Day = 24 * Hour;
    constexpr std::pair<char, std::int64_t> Units[] = {
        {'s', 1}, {'m', Minute}, {'h', Hour}, {'d', Day}, {'w', 7 * Day}};
    auto found = std::find_if(std::begin(Units), std::end(Units),
                              [&](const auto& unit) { return unit.first == *end; });
    if (found == std::end(Units)) {
        return std::nullopt;
    }
    const std::int64_t unit = found->second;
    // A limit beyond any file time (about 290 billion years) means nothing is old enough.
    if (count > std::numeric_limits<std::int64_t>::max() / unit / 2) {
        return std::nullopt;
    }
    return count * unit;
}
bool ReadScanLimits(const CommandLine& commandLine, ListingRules& rules,
                    std::optional<std::size_t>& maxDepth, const ConsoleStream& err,
                    std::string& problem) {
    if (auto given = commandLine.values.find(OlderThanOption); given != commandLine.values.end()) {
        std::optional<std::int64_t> seconds = DurationSeconds(given->second);
        if (!seconds) {
            problem = std::string(OlderThanOption) + ": " + err.Shown(given->second) +
                      " is not a time such as 30d, 12h, 90m, 45s or 2w";
            return false;
        }
        auto now = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::system_clock::now().time_since_epoch());
        rules.SetChangedSince(now.count() - *seconds);
    }
    if (auto given = commandLine.values.find(MaxDepthOption); given != commandLine.values.end()) {
        const std::string& text = given->second;
        std::size_t levels = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), levels);
        if (error != std::errc() || end != text.data() + text.size() || levels == 0) {
            problem = std::string(MaxDepthOption) + ": " + err.Shown(text) +
                      " is not a whole number of levels, 1 or more";
            return false;
        }
        maxDepth = levels;
    }
    return true;
}
// ROOT as the scan takes it: less one trailing separator.
std::string ScannedRoot(std::string root, char separator) {
    if (!root.empty() && (root.back() == separator || (separator == '\\' && root.back() == '/'))) {
        root.pop_back();
    }
    return root;
}

// The number given with --threads (the default without it); nullopt, with the reason in
// `problem`, when it is not a whole number from 1 to 1024.
std::optional<unsigned> ScanThreads(const CommandLine& commandLine, const ConsoleStream& err,
                                    std::string& problem) {
    auto given = commandLine.values.find(ThreadsOption);
    if (given == commandLine.values.end()) {
        return AdaptiveScanThreads;
    }
    const std::string& text = given->second;
    unsigned threads = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), threads);
    if (error == std::errc::invalid_argument || end != text.data() + text.size()) {
        problem = std::string(ThreadsOption) + ": " + err.Shown(text) + " is not a whole number";
        return std::nullopt;
    }
    if (error != std::errc() || threads < 1 || threads > 1024) {
        problem =
            std::string(ThreadsOption) + ": " + err.Shown(text) + " is not between 1 and 1024";
        return std::nullopt;
    }
    return threads;
}
// The exclusions, protection and junk names the options give, for paths with `separator`; nullopt
// when a pattern or junk name is empty (a usage error, said in `problem`), or, with the
// reason on `err`, when a file of --exclude-from cannot be read (`unreadable` is then set).
// A file holds one pattern a line; blank lines and lines that start with '#' are skipped,
// and a line's end may be "\r\n".
std::optional<ListingRules> ListingRulesFrom(const CommandLine& commandLine, char separator,
                                             ConsoleStream err, bool& unreadable,
                                             std::string& problem) {
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
            problem = std::string(ExcludeOption) + ": the pattern is empty";
            return std::nullopt;
        }
        rules.AddExclude(pattern);
    }
    for (const std::string& name : commandLine.All(JunkOption)) {
        if (name.empty()) {
            problem = std::string(JunkOption) + ": the name is empty";
            return std::nullopt;
        }
        rules.AddJunkName(name);
    }
    if (commandLine.Has(JunkCommonFlag)) {
        rules.AddCommonJunk();
    }
    if (commandLine.Has(NoProtectFlag)) {
        rules.ProtectNothing();
    }
    return rules;
}

} // namespace

std::string PathPrefix(const CommandLine& options, char separator) {
    if (!options.Has(AbsoluteFlag)) {
        return "";
    }
    std::string scannedRoot = ScannedRoot(options.root, separator);
    if (scannedRoot.empty()) {
        return std::string(1, separator); // the file system's root, "/"
    }
    std::u8string given(scannedRoot.begin(), scannedRoot.end());
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(given), error);
    std::u8string text = error ? given : full.u8string();
    return std::string(text.begin(), text.end()) + separator;
}

ScanOutcome ScanRootFolder(FileSystem& fileSystem, const ScanRequest& request, ConsoleStream err,
                           std::function<bool()> stopRequested, FoundRowHandler onRow) {
    ScanOutcome outcome;
    const std::string& root = request.root;
    if (!fileSystem.FolderExists(root)) {
        err.Write("vacantor-cli: not a folder: " + err.Shown(root) + "\n");
        return outcome;
    }
    std::string scannedRoot = ScannedRoot(root, fileSystem.PathSeparator());
    ConsoleScan console(request, err, std::move(stopRequested), std::move(onRow), outcome);
    EmptyFolderScan scan(fileSystem, console, console, scannedRoot,
                         ReadAheadSettings(request.threads), &request.rules);
    if (request.maxDepth) {
        scan.LimitDepth(*request.maxDepth);
    }
    bool subtreeEmpty = scan.ScanFolder(scannedRoot);
    if (err.progress) {
        err.progress->ScanEnded(outcome.found);
    }
    outcome.heldRoot = scan.ScannedRoot();
    outcome.ranShort = scan.RanShort();
    outcome.rootRead = !scan.RootUnreadable();
    // Rows that are missing for want of descriptors or memory must not pass for a complete
    // answer.
    if (outcome.ranShort) {
        err.Write("vacantor-cli: the scan of " + err.Shown(root) +
                  " stopped: too many open files, or too little memory\n");
        return outcome;
    }
    if (!outcome.rootRead) {
        err.Write("vacantor-cli: cannot read folder: " + err.Shown(root) + "\n");
        return outcome;
    }
    // Silence here would read as a clean tree: a folder not read keeps its parent from
    // counting as empty, and ROOT itself, empty all through, is never listed.
    if (outcome.unreadable != 0) {
        bool one = outcome.unreadable == 1;
        err.Write("vacantor-cli: " + Counted(outcome.unreadable, "folder") +
                  " could not be read; " +
                  (one ? "the folder holding it counts" : "the folders holding them count") +
                  " as not empty" + (request.verbose ? "" : " (--verbose names each)") + "\n");
    }
    if (subtreeEmpty) {
        err.Write("vacantor-cli: no file lies below " + err.Shown(root) +
                  ": it is empty all through, and ROOT itself is never listed\n");
    }
    return outcome;
}

std::optional<ScanCommandLine> ParseScanCommandLine(const std::vector<std::string>& arguments,
                                                    std::vector<std::string_view> flags,
                                                    std::vector<std::string_view> valueOptions,
                                                    char separator, const char* usage,
                                                    ConsoleStream err, ExitStatus& exitStatus) {
    flags.insert(flags.end(), {ReadOnlyFlag, Print0Flag, ProgressOption, QuietOption,
                               JunkCommonFlag, VerboseFlag, AbsoluteFlag, NoProtectFlag});
    valueOptions.insert(valueOptions.end(), {ThreadsOption, ExcludeOption, ExcludeFromOption,
                                             JunkOption, OlderThanOption, MaxDepthOption});
    std::string problem;
    std::optional<CommandLine> options =
        ParseCommandLine(arguments, flags, valueOptions, err, problem);
    std::optional<unsigned> threads = options ? ScanThreads(*options, err, problem) : std::nullopt;
    bool unreadable = false;
    std::optional<ListingRules> rules =
        threads ? ListingRulesFrom(*options, separator, err, unreadable, problem) : std::nullopt;
    std::optional<std::size_t> maxDepth;
    if (rules && !ReadScanLimits(*options, *rules, maxDepth, err, problem)) {
        rules.reset();
    }
    if (!rules) {
        if (!unreadable) {
            err.Write("vacantor-cli: " + problem + "\n" + usage);
        }
        exitStatus = unreadable ? ExitStatus::Failed : ExitStatus::UsageError;
        return std::nullopt;
    }
    ScanRequest request{options->root, options->Has(ReadOnlyFlag), options->Has(VerboseFlag),
                        *threads,      std::move(*rules),          maxDepth};
    return ScanCommandLine{std::move(*options), std::move(request)};
}
