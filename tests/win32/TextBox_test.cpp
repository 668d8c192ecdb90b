// The root-folder text box: its click event and file drops, by WM_DROPFILES and by OLE.
#include "platform/win32/window/MainWindow.h"
#include "win32/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <shellapi.h>

#include <cstring>

#include <string>
#include <vector>

namespace {

// A data object holding one format in global memory, as a drag source offers it.
class OneFormatDataObject final : public IDataObject {
  public:
    OneFormatDataObject(CLIPFORMAT format, HGLOBAL memory) : format_(format), memory_(memory) {}
    ~OneFormatDataObject() { ::GlobalFree(memory_); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) {
            return DV_E_FORMATETC;
        }
        SIZE_T size = ::GlobalSize(memory_);
        HGLOBAL copy = ::GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(::GlobalLock(copy), ::GlobalLock(memory_), size);
        ::GlobalUnlock(copy);
        ::GlobalUnlock(memory_);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK
                                                                              : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  private:
    CLIPFORMAT format_;
    HGLOBAL memory_;
};

HGLOBAL TextMemory(const char* text) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::memcpy(::GlobalLock(memory), text, std::strlen(text) + 1);
    ::GlobalUnlock(memory);
    return memory;
}

class Win32TextBox : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window.Create({"C:\\app", false}));
        window.Show();
        box.onClick = [this] { ++clicks; };
        box.onDropFiles = [this](const std::vector<std::string>& files) { drops.push_back(files); };
    }

    HWND hwnd() { return box.Hwnd(); }

    Win32TestEnvironment environment;
    win32::MainWindow window;
    win32::TextBox& box = window.txtFolder;
    int clicks = 0;
    std::vector<std::vector<std::string>> drops;
};

TEST_F(Win32TextBox, AMouseClickRaisesTheClickOnceTheEditHasHandledIt) {
    ::SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 0); // not inside the edit's own handling of the button
    ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
    EXPECT_NE(::GetCapture(), hwnd());
}

TEST_F(Win32TextBox, DroppedFilesArriveByWmDropFilesFirstItemFirstOnlyInDropMode1) {
    EXPECT_FALSE(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    box.SetOLEDropMode(1);
    EXPECT_TRUE(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    std::vector<std::string> paths = {"C:\\first folder", "C:\\second\\file.txt",
                                      "C:\\caf\xc3\xa9"};
    ::SendMessageW(hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeHDrop(paths)), 0);
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], paths);

    box.SetOLEDropMode(0);
    EXPECT_FALSE(::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

TEST_F(Win32TextBox, DropMode1RegistersTheBoxAsAnOleDropTarget) {
    win32::FileDropTarget other({});
    box.SetOLEDropMode(1);
    EXPECT_EQ(::RegisterDragDrop(hwnd(), &other), DRAGDROP_E_ALREADYREGISTERED);
    box.SetOLEDropMode(0);
    ASSERT_EQ(::RegisterDragDrop(hwnd(), &other), S_OK);
    ::RevokeDragDrop(hwnd());
}

TEST(Win32FileDropTarget, TakesFileListsAndRefusesEverythingElse) {
    Win32TestEnvironment environment;
    std::vector<std::vector<std::string>> drops;
    win32::FileDropTarget target(
        [&](const std::vector<std::string>& files) { drops.push_back(files); });

    struct Case {
        const char* name;
        CLIPFORMAT format;
        HGLOBAL memory;
        DWORD expectedEffect;
        std::vector<std::string> expectedFiles;
    } cases[] = {
        {"files",
         CF_HDROP,
         MakeHDrop({"C:\\one", "C:\\two"}),
         DROPEFFECT_COPY,
         {"C:\\one", "C:\\two"}},
        {"text", CF_TEXT, TextMemory("C:\\typed"), DROPEFFECT_NONE, {}},
    };
    for (Case& c : cases) {
        drops.clear();
        OneFormatDataObject data(c.format, c.memory);
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(target.DragEnter(&data, 0, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.expectedEffect) << c.name;
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target.DragOver(0, POINTL{}, &effect);
        EXPECT_EQ(effect, c.expectedEffect) << c.name;
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(target.Drop(&data, 0, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.expectedEffect) << c.name;
        if (c.expectedFiles.empty()) {
            EXPECT_TRUE(drops.empty()) << c.name;
        } else {
            ASSERT_EQ(drops.size(), 1u) << c.name;
            EXPECT_EQ(drops[0], c.expectedFiles) << c.name;
        }
    }
}

} // namespace
