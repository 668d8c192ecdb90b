#include "removal/RemovalResults.h"

namespace {

std::string_view Phrase(RemovalOutcome outcome) {
    switch (outcome) {
    case RemovalOutcome::Removed:
        return "";
    case RemovalOutcome::Vanished:
        return "it no longer exists";
    case RemovalOutcome::GainedFile:
        return "a file appeared in it";
    case RemovalOutcome::BecameLink:
        return "it is a link now";
    case RemovalOutcome::MountPoint:
        return "it is or holds a mount point";
    case RemovalOutcome::Excluded:
        return "it is excluded";
    case RemovalOutcome::HoldsExcluded:
        return "it holds an excluded folder";
    case RemovalOutcome::Protected:
        return "it is a protected folder or lies in one";
    case RemovalOutcome::HasProtected:
        return "it holds a protected folder";
    case RemovalOutcome::Recent:
        return "it or a folder in it changed too recently";
    case RemovalOutcome::AccessDenied:
        return "access denied";
    case RemovalOutcome::InUse:
        return "in use by another program";
    case RemovalOutcome::Failed:
        break;
    }
    return "it could not be removed";
}

} // namespace

RemovalResult MakeRemovalResult(RemovalOutcome outcome, std::string_view platformText) {
    std::string reason(Phrase(outcome));
    if (outcome == RemovalOutcome::Failed && !platformText.empty()) {
        reason += ": ";
        reason += platformText;
    }
    return RemovalResult{outcome, reason};
}

RemovalResult ResultOf(const FolderStatus& status) {
    switch (status.error) {
    case FolderError::None:
        return MakeRemovalResult(RemovalOutcome::Removed);
    case FolderError::Gone:
        return MakeRemovalResult(RemovalOutcome::Vanished);
    case FolderError::Link:
        return MakeRemovalResult(RemovalOutcome::BecameLink);
    case FolderError::NotFolder:
    case FolderError::NotFile:
    case FolderError::NotEmpty:
        return MakeRemovalResult(RemovalOutcome::GainedFile);
    case FolderError::MountPoint:
        return MakeRemovalResult(RemovalOutcome::MountPoint);
    case FolderError::Denied:
        return MakeRemovalResult(RemovalOutcome::AccessDenied);
    case FolderError::InUse:
        return MakeRemovalResult(RemovalOutcome::InUse);
    case FolderError::Changed:
        return MakeRemovalResult(RemovalOutcome::Failed, "it changed while it was being removed");
    case FolderError::Other:
        break;
    }
    return MakeRemovalResult(RemovalOutcome::Failed, status.message);
}

std::optional<std::vector<std::string>> SplitRelativePath(std::string_view relativePath,
                                                          char separator) {
    const bool windows = separator == '\\';
    auto isSeparator = [&](char c) { return c == separator || (windows && c == '/'); };
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < relativePath.size() && !isSeparator(relativePath[end])) {
            ++end;
        }
        std::string_view name = relativePath.substr(start, end - start);
        if (name.empty() || name == "." || name == ".." ||
            (windows && name.find(':') != std::string_view::npos)) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (end == relativePath.size()) {
            return names;
        }
        start = end + 1;
    }
}

RemovalResult RefusedPathResult() {
    return MakeRemovalResult(RemovalOutcome::Failed, "it is not a folder below the root folder");
}
