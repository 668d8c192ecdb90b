#include "platform/win32/window/FileDropTarget.h"

#include "platform/win32/Utf.h"

namespace win32 {

std::vector<std::string> FilesFromHDrop(HDROP drop) {
    std::vector<std::string> files;
    UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        UINT copied = ::DragQueryFileW(drop, index, path.data(), length + 1);
        path.resize(copied);
        files.push_back(Utf8FromWide(path));
    }
    return files;
}

namespace {

FORMATETC FileListFormat() {
    return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

} // namespace

FileDropTarget::FileDropTarget(std::function<void(const std::vector<std::string>&)> onDropFiles)
    : onDropFiles_(std::move(onDropFiles)) {}

HRESULT FileDropTarget::QueryInterface(REFIID riid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG FileDropTarget::AddRef() {
    return ++references_;
}

ULONG FileDropTarget::Release() {
    return references_ > 0 ? --references_ : 0;
}

bool FileDropTarget::HoldsFiles(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

HRESULT FileDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    acceptsCurrentDrag_ = HoldsFiles(data);
    *effect = acceptsCurrentDrag_ ? (*effect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT FileDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    *effect = acceptsCurrentDrag_ ? (*effect & DROPEFFECT_COPY) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT FileDropTarget::DragLeave() {
    acceptsCurrentDrag_ = false;
    return S_OK;
}

HRESULT FileDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    acceptsCurrentDrag_ = false;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (!HoldsFiles(data) || data->GetData(&format, &medium) != S_OK) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    std::vector<std::string> files = FilesFromHDrop(static_cast<HDROP>(medium.hGlobal));
    ::ReleaseStgMedium(&medium);
    // The drop effect is left as the source proposed it; the handler decides what the
    // paths mean.
    *effect &= DROPEFFECT_COPY;
    if (!files.empty() && onDropFiles_) {
        onDropFiles_(files);
    }
    return S_OK;
}

} // namespace win32
