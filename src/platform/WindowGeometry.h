#pragma once

// Rectangles and places of the main window, in pixels.

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// Where the main window is: kept in the settings file at the close, for the next start.
struct WindowPlacement {
    int left = 0; // the window's outer top-left corner on the desktop
    int top = 0;
    int width = 0; // its client area
    int height = 0;
    bool maximized = false; // the place and size are then those it has when restored
    bool operator==(const WindowPlacement&) const = default;
};
