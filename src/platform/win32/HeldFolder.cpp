#include "platform/win32/HeldFolder.h"

#include <winternl.h>

#include "platform/win32/LongPath.h"

#include <utility>

namespace {

constexpr DWORD ListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr DWORD HeldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The two native calls, taken from ntdll (always loaded) rather than linked: ntdll's import
// library also exports C runtime functions, which must keep coming from the C runtime.
struct NativeCalls {
    decltype(&::NtCreateFile) createFile = nullptr;
    decltype(&::RtlNtStatusToDosError) statusToError = nullptr;
};

const NativeCalls& Native() {
    static const NativeCalls calls = [] {
        NativeCalls found;
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        if (ntdll != nullptr) {
            found.createFile = reinterpret_cast<decltype(&::NtCreateFile)>(
                reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtCreateFile")));
            found.statusToError = reinterpret_cast<decltype(&::RtlNtStatusToDosError)>(
                reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlNtStatusToDosError")));
        }
        return found;
    }();
    return calls;
}

// Opens `name` relative to the folder `parent`: no path is looked up again.
DWORD OpenRelative(HANDLE parent, const std::wstring& name, DWORD access, DWORD sharing,
                   ULONG options, HANDLE& opened) {
    const NativeCalls& native = Native();
    if (native.createFile == nullptr || native.statusToError == nullptr) {
        return ERROR_PROC_NOT_FOUND;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    NTSTATUS result =
        native.createFile(&handle, access, &attributes, &status, nullptr, 0, sharing, FILE_OPEN,
                          options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                              FILE_OPEN_FOR_BACKUP_INTENT,
                          nullptr, 0);
    if (!NT_SUCCESS(result)) {
        return native.statusToError(result);
    }
    opened = handle;
    return ERROR_SUCCESS;
}

} // namespace

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

void HeldFolder::Close() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
}

DWORD HeldFolder::OpenRoot(const std::string& path) {
    Close();
    std::wstring longPath = LongPath(path);
    if (longPath.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    FileSystemRedirectionOff redirectionOff;
    HANDLE handle = ::CreateFileW(longPath.c_str(), ListAccess, HeldSharing, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return ::GetLastError();
    }
    handle_ = handle;
    return ERROR_SUCCESS;
}

DWORD HeldFolder::HoldAgain(const HeldFolder& other) {
    Close();
    HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, other.Get(), process, &handle_, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        handle_ = nullptr;
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

DWORD HeldFolder::OpenBelow(const HeldFolder& parent, const std::wstring& name, DWORD extraAccess) {
    Close();
    return OpenRelative(parent.Get(), name, ListAccess | extraAccess, HeldSharing,
                        FILE_DIRECTORY_FILE, handle_);
}

DWORD HeldFolder::OpenFileToDelete(const HeldFolder& parent, const std::wstring& name,
                                   HANDLE& file) {
    return OpenRelative(
        parent.Get(), name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_NON_DIRECTORY_FILE, file);
}

std::optional<std::int64_t> HeldFolder::ModifiedTime() const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle_, &information)) {
        return std::nullopt;
    }
    return UnixSeconds(information.ftLastWriteTime);
}

std::int64_t UnixSeconds(const FILETIME& time) {
    ULARGE_INTEGER ticks{};
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart / 10000000) - 11644473600LL;
}

DWORD HeldFolder::Read(DWORD& attributes, FolderIdentity& identity) const {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle_, &information)) {
        return ::GetLastError();
    }
    attributes = information.dwFileAttributes;
    identity.volume = information.dwVolumeSerialNumber;
    identity.file =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    identity.mount = 0;
    return ERROR_SUCCESS;
}

// Windows keeps a held folder from being deleted; another system's file server (or Wine's
// host) may not.
bool Win32HeldRoot::IsLinked() const {
    FILE_STANDARD_INFO information{};
    return ::GetFileInformationByHandleEx(folder_.Get(), FileStandardInfo, &information,
                                          sizeof information) &&
           !information.DeletePending;
}

// The held folder's path below its volume's root is "\\" for the root itself, whatever
// drive letter or folder the volume is mounted on.
bool Win32HeldRoot::IsFileSystemTop() const {
    wchar_t path[4] = {};
    DWORD length = ::GetFinalPathNameByHandleW(folder_.Get(), path, 4,
                                               FILE_NAME_NORMALIZED | VOLUME_NAME_NONE);
    if (length == 0) {
        return true;
    }
    return length == 1 && path[0] == L'\\';
}
