#include "removal/RemovalTestTree.h"

#include <windows.h>

#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::wstring LongPath(const fs::path& path) {
    return L"\\\\?\\" + fs::absolute(path).make_preferred().wstring();
}

} // namespace

bool MakeFolderLink(const fs::path& link, const fs::path& target) {
    const DWORD flags = SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2; // allow unprivileged create
    if (!CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(), flags)) {
        return false;
    }
    // Wine may answer success without making a reparse point the system reports.
    const std::uint32_t attributes = PermissionBits(link);
    if (attributes == NoBits || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        std::error_code error;
        fs::remove(link, error);
        return false;
    }
    return true;
}

std::uint32_t PermissionBits(const fs::path& path) {
    DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? NoBits : attributes;
}

// Past MAX_PATH; each level costs a path lookup under Wine.
bool MakeDeepChain(const fs::path& top) {
    std::wstring path = LongPath(top);
    for (int level = 0; level < 300; ++level) {
        path += L"\\level";
        if (!CreateDirectoryW(path.c_str(), nullptr)) {
            throw std::runtime_error("cannot make the deep chain");
        }
    }
    return true;
}
