#include "main_window/MainWindowLayout.h"

#include <algorithm>
#include <cstdint>

namespace {

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int ClientWidthTwips = 9645;
constexpr int ClientHeightTwips = 4950;
constexpr TwipsRect LblFolderTwips{120, 240, 1095, 255};
constexpr TwipsRect TxtFolderTwips{1200, 240, 8175, 270};
constexpr TwipsRect CmdFindTwips{6960, 600, 1095, 375};
constexpr TwipsRect ListView1Twips{120, 1080, 9495, 3735};
constexpr TwipsRect CmdRemoveTwips{8280, 600, 1095, 375};
constexpr TwipsRect ChkReadOnlyTwips{240, 720, 3375, 255};
// In the room between the read-only check box and Find.
constexpr TwipsRect ChkIgnoreJunkTwips{3720, 720, 3120, 255};

} // namespace

int PixelsFromTwips(int twips, int dpi) {
    // Rounded half away from zero, as MulDiv does; 64 bits, so no DPI overflows.
    const std::int64_t product = std::int64_t{twips} * dpi;
    const std::int64_t half = product >= 0 ? 720 : -720;
    return static_cast<int>((product + half) / 1440);
}

PixelSize MinimumClientSize(int dpiX, int dpiY) {
    return {PixelsFromTwips(ClientWidthTwips, dpiX), PixelsFromTwips(ClientHeightTwips, dpiY)};
}

// Place and size are converted apart, as the window always converted them, so that at the
// least size every control sits exactly where it always did.
MainWindowLayout LayOutMainWindow(PixelSize client, int dpiX, int dpiY) {
    const PixelSize least = MinimumClientSize(dpiX, dpiY);
    const int extraWidth = std::max(0, client.width - least.width);
    const int extraHeight = std::max(0, client.height - least.height);
    auto place = [&](const TwipsRect& twips, bool growsWide, bool growsTall) {
        return PixelRect{PixelsFromTwips(twips.left, dpiX), PixelsFromTwips(twips.top, dpiY),
                         PixelsFromTwips(twips.width, dpiX) + (growsWide ? extraWidth : 0),
                         PixelsFromTwips(twips.height, dpiY) + (growsTall ? extraHeight : 0)};
    };
    MainWindowLayout layout;
    layout.lblFolder = place(LblFolderTwips, false, false);
    layout.txtFolder = place(TxtFolderTwips, true, false);
    layout.cmdFind = place(CmdFindTwips, false, false);
    layout.ListView1 = place(ListView1Twips, true, true);
    layout.cmdRemove = place(CmdRemoveTwips, false, false);
    layout.chkReadOnly = place(ChkReadOnlyTwips, false, false);
    layout.chkIgnoreJunk = place(ChkIgnoreJunkTwips, false, false);
    return layout;
}
