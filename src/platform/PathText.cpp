#include "platform/PathText.h"

namespace {

std::size_t PosixRootLength(std::string_view path) {
    return !path.empty() && path.front() == '/' ? 1 : 0;
}

bool IsWindowsSeparator(char c) {
    return c == '\\' || c == '/';
}

std::size_t WindowsRootLength(std::string_view path) {
    bool drive = path.size() >= 2 && path[1] == ':' &&
                 ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (drive) {
        return path.size() >= 3 && IsWindowsSeparator(path[2]) ? 3 : 2;
    }
    // \\server\share\ (and \\?\C:\, whose "share" is the drive) is one root.
    if (path.size() >= 2 && IsWindowsSeparator(path[0]) && IsWindowsSeparator(path[1])) {
        std::size_t at = 2;
        for (int part = 0; part < 2 && at < path.size(); ++part) {
            while (at < path.size() && !IsWindowsSeparator(path[at])) {
                ++at;
            }
            if (at < path.size()) {
                ++at;
            }
        }
        return at;
    }
    return !path.empty() && IsWindowsSeparator(path.front()) ? 1 : 0;
}

} // namespace

const PathSyntax& PosixPathSyntax() {
    static const PathSyntax syntax{'/', false, &PosixRootLength};
    return syntax;
}

const PathSyntax& WindowsPathSyntax() {
    static const PathSyntax syntax{'\\', true, &WindowsRootLength};
    return syntax;
}

std::string ParentFolderName(const PathSyntax& syntax, std::string_view path) {
    std::size_t root = syntax.rootLength(path);
    std::size_t end = path.size();
    while (end > root && syntax.IsSeparator(path[end - 1])) {
        --end;
    }
    if (end <= root) {
        return {};
    }
    std::size_t cut = end;
    while (cut > root && !syntax.IsSeparator(path[cut - 1])) {
        --cut;
    }
    while (cut > root && syntax.IsSeparator(path[cut - 1])) {
        --cut;
    }
    return std::string(path.substr(0, cut));
}

std::string BuildPath(const PathSyntax& syntax, std::string_view path, std::string_view name) {
    std::string joined(path);
    if (!joined.empty() && !syntax.IsSeparator(joined.back())) {
        joined += syntax.separator;
    }
    joined += name;
    return joined;
}
