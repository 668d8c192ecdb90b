#pragma once

#include "platform/WindowGeometry.h"

// Where the main window's controls go for a given client area, written once for both
// windows. The controls have fixed places in twips; when the window is larger than its
// least size, the list takes the extra width and height and the root box the extra width.

struct MainWindowLayout {
    PixelRect lblFolder;
    PixelRect txtFolder;
    PixelRect cmdFind;
    PixelRect ListView1;
    PixelRect cmdRemove;
    PixelRect chkReadOnly;
    PixelRect chkIgnoreJunk;
};

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel.
int PixelsFromTwips(int twips, int dpi);

// The least client area, which is also the size of a window whose place was never kept.
PixelSize MinimumClientSize(int dpiX, int dpiY);

// The controls' places in a client area of `client` pixels; a client area smaller than the
// least one is laid out as the least one.
MainWindowLayout LayOutMainWindow(PixelSize client, int dpiX, int dpiY);
