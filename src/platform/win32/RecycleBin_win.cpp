#include <windows.h>
#undef MessageBox

#include "platform/win32/RecycleBin.h"
#include "platform/win32/Utf.h"

#include <shellapi.h>
#include <shobjidl.h>

namespace {

// The path the shell takes: without the "\\?\" prefix, which it does not parse.
std::wstring ShellPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return L"\\\\" + path.substr(8);
    }
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        return path.substr(4);
    }
    return path;
}

// Opens `name` below `parent` and answers whether it is the plain folder `checked`.
FolderStatus IsChecked(const HeldFolder& parent, const std::wstring& name,
                       const FolderIdentity& checked) {
    HeldFolder folder;
    DWORD attributes = 0;
    FolderIdentity identity;
    DWORD error = folder.OpenBelow(parent, name);
    if (error == ERROR_SUCCESS) {
        error = folder.Read(attributes, identity);
    }
    if (error != ERROR_SUCCESS) {
        return FolderStatusOfError(error);
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return {FolderError::Link, {}};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || identity != checked) {
        return {FolderError::Changed, {}};
    }
    return {};
}

// Watches the shell's operation: an item it would delete rather than recycle (too big for
// the bin, a volume without one) is refused, so that nothing is ever destroyed.
class RecycleOnly : public IFileOperationProgressSink {
  public:
    bool refusedDeletion = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid == IID_IUnknown || riid == IID_IFileOperationProgressSink) {
            *object = static_cast<IFileOperationProgressSink*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // It lives on the stack of the one operation that uses it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD flags, IShellItem*) override {
        if ((flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) == 0) {
            refusedDeletion = true;
            return HRESULT_FROM_WIN32(ERROR_CANCELLED);
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT,
                                             IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

// COM for the calling thread while an operation runs; a thread that has it already keeps it.
class ComApartment {
  public:
    ComApartment()
        : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

  private:
    HRESULT result_;
};

// Hands the item at `path` to the shell to recycle, with no window shown and never a
// deletion instead.
FolderStatus Recycle(const std::wstring& path) {
    ComApartment apartment;
    IFileOperation* operation = nullptr;
    HRESULT result = ::CoCreateInstance(CLSID_FileOperation, nullptr, CLSCTX_ALL,
                                        IID_IFileOperation, reinterpret_cast<void**>(&operation));
    if (FAILED(result)) {
        return {FolderError::Other, "the shell cannot recycle"};
    }
    IShellItem* item = nullptr;
    RecycleOnly sink;
    BOOL aborted = FALSE;
    result = operation->SetOperationFlags(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI |
                                          FOF_NOCONFIRMMKDIR | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING |
                                          FOFX_RECYCLEONDELETE | FOFX_EARLYFAILURE);
    if (SUCCEEDED(result)) {
        result = ::SHCreateItemFromParsingName(path.c_str(), nullptr, IID_IShellItem,
                                               reinterpret_cast<void**>(&item));
    }
    if (SUCCEEDED(result)) {
        result = operation->DeleteItem(item, &sink);
    }
    if (SUCCEEDED(result)) {
        result = operation->PerformOperations();
    }
    if (SUCCEEDED(result)) {
        result = operation->GetAnyOperationsAborted(&aborted);
    }
    if (item != nullptr) {
        item->Release();
    }
    operation->Release();
    if (sink.refusedDeletion) {
        return {FolderError::Other, "the Recycle Bin cannot take it"};
    }
    if (FAILED(result) || aborted) {
        return {FolderError::Other, "the shell did not recycle it"};
    }
    return {};
}

// The Recycle Bin keeps its own names and restores an item to the path it was recycled
// from, so the folder goes under its own name: no name is claimed.
class RecycleBin : public HeldTrash {
  public:
    RecycleBin(const HeldFolder& parent, TrashFacts facts)
        : parent_(parent), facts_(std::move(facts)) {}

    const TrashFacts& Facts() const override { return facts_; }
    FolderStatus Ready() override { return {}; }
    FolderStatus Claim(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    void Unclaim(const std::string&, const std::string&) override {}

    // The path is built from the held parent's own path, which cannot change while it is
    // held; the entry is checked to be the very folder just before the shell takes it, and
    // after, to be gone.
    FolderStatus MoveIn(const std::string& entry, const std::string&,
                        const FolderIdentity& checked) override {
        const std::wstring name = WideFromUtf8(entry);
        std::wstring parentPath;
        if (DWORD error = FinalPath(parent_, parentPath); error != ERROR_SUCCESS) {
            return FolderStatusOfError(error);
        }
        const std::wstring path = ShellPath(parentPath) + L"\\" + name;
        if (path.size() >= MAX_PATH) {
            return {FolderError::Other, "its path is too long for the Recycle Bin"};
        }
        if (FolderStatus same = IsChecked(parent_, name, checked); !same.Ok()) {
            return same;
        }
        if (FolderStatus recycled = Recycle(path); !recycled.Ok()) {
            return recycled;
        }
        if (FolderStatus after = IsChecked(parent_, name, checked); after.Ok()) {
            return {FolderError::Other, "the shell did not recycle it"};
        }
        return {};
    }

  private:
    const HeldFolder& parent_;
    TrashFacts facts_;
};

} // namespace

DWORD FinalPath(const HeldFolder& folder, std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = ::GetFinalPathNameByHandleW(folder.Get(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (size == 0) {
            return ::GetLastError();
        }
        if (size < buffer.size()) {
            path.assign(buffer.data(), size);
            return ERROR_SUCCESS;
        }
        buffer.resize(size + 1);
    }
}

std::unique_ptr<HeldTrash> OpenRecycleBin(const HeldFolder& parent, FolderStatus& failure) {
    std::wstring parentPath;
    if (DWORD error = FinalPath(parent, parentPath); error != ERROR_SUCCESS) {
        failure = FolderStatusOfError(error);
        return nullptr;
    }
    wchar_t volume[MAX_PATH + 1] = {};
    const std::wstring shellPath = ShellPath(parentPath);
    if (!::GetVolumePathNameW(shellPath.c_str(), volume, MAX_PATH)) {
        failure = FolderStatusOfError(::GetLastError());
        return nullptr;
    }
    // Network shares and removable disks have no Recycle Bin: the shell would delete.
    SHQUERYRBINFO bin{};
    bin.cbSize = sizeof(bin);
    if (::GetDriveTypeW(volume) != DRIVE_FIXED || FAILED(::SHQueryRecycleBinW(volume, &bin))) {
        failure = {FolderError::Other, Utf8FromWide(volume) + " has no Recycle Bin"};
        return nullptr;
    }
    TrashFacts facts;
    facts.path = "the Recycle Bin";
    DWORD attributes = 0;
    FolderIdentity identity;
    if (DWORD error = parent.Read(attributes, identity); error != ERROR_SUCCESS) {
        failure = FolderStatusOfError(error);
        return nullptr;
    }
    facts.volume = identity.volume;
    return std::make_unique<RecycleBin>(parent, std::move(facts));
}

const TrashWording& SystemTrashWording() {
    static const TrashWording wording{"Move to Recycle Bin", "the Recycle Bin"};
    return wording;
}
