#pragma once

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace win32 {

// The paths of a shell file list, first item first, as UTF-8.
std::vector<std::string> FilesFromHDrop(HDROP drop);

// An OLE drop target that takes file lists (CF_HDROP) only. Anything else (dragged text,
// say) is refused with DROPEFFECT_NONE and never reaches onDropFiles.
class FileDropTarget final : public IDropTarget {
  public:
    explicit FileDropTarget(std::function<void(const std::vector<std::string>&)> onDropFiles);

    // IUnknown. The target is owned by its control; OLE's references only keep it
    // registered, so Release never deletes it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDropTarget.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) override;

  private:
    static bool HoldsFiles(IDataObject* data);

    std::function<void(const std::vector<std::string>&)> onDropFiles_;
    bool acceptsCurrentDrag_ = false;
    ULONG references_ = 0;
};

} // namespace win32
