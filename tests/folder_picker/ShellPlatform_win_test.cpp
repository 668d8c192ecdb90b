// The real shell dialog, opened through BrowseForFolder and closed by a timer that runs
// inside the dialog's own modal loop.
#include "folder_picker/FileDialog.h"
#include "platform/win32/Utf.h"
#include "support/TempFolder.h"
#include "win32/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(Win32BrowseForFolder, OpensOnTheStartFolderAndReturnsWhatIsPressed) {
    const std::string name = "Fotos \xC3\x84\xC3\x96 \xE6\x97\xA5\xE6\x9C\xAC";
    for (int button : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        TempFolder temp;
        std::filesystem::path folder = temp.Path() / std::filesystem::u8path(name);
        std::filesystem::create_directory(folder);
        auto shell = CreateSystemShellPlatform();
        // Wine's folder tree now and then stops expanding short of a deep start folder,
        // whatever it was sent. A few openings keep that out of the result; a selection
        // that never reaches the dialog still fails every one.
        MessageBoxCloser::Box picker;
        std::string result;
        for (int attempt = 0; attempt < 8 && picker.selectedItem != name; ++attempt) {
            MessageBoxCloser closer([&](const MessageBoxCloser::Box&) { return button; });
            result = FileDialog::BrowseForFolder(*shell, "Select Folder", 0, 0, BifReturnOnlyFsDirs,
                                                 PathText(folder));
            picker = closer.boxes.empty() ? MessageBoxCloser::Box{} : closer.boxes[0];
        }
        EXPECT_EQ(picker.selectedItem, name);
        EXPECT_EQ(result, button == IDOK ? PathText(folder) : "");
    }
}

} // namespace
