#pragma once

#include "platform/WindowGeometry.h"

#include <string>
#include <vector>

class ResultList;

// The window runtime and the controls of the main window, as the window's logic sees them.
// The Win32 window and the Qt window implement these; the tests fake them.

class TextBoxControl {
  public:
    virtual ~TextBoxControl() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetOLEDropMode(int mode) = 0; // 1: manual, drops raise txtFolder_OLEDragDrop
    // Locked: the box shows its text but takes no typing (its clicks, keys and drops still
    // raise their events).
    virtual void SetLocked(bool locked) = 0;
};

class ButtonControl {
  public:
    virtual ~ButtonControl() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

class CheckBoxControl {
  public:
    virtual ~CheckBoxControl() = default;
    virtual int Value() const = 0; // 0 unchecked, 1 checked
    virtual void SetValue(int value) = 0;
};

class FormRuntime {
  public:
    virtual ~FormRuntime() = default;
    virtual void SetMousePointer(int pointer) = 0; // 13: arrow with hourglass, 0: default
    // The folder of the settings file: the executable's (the application object's Path);
    // on Linux the one the platform chose, which is the user's configuration folder for an
    // installed program.
    virtual std::string AppPath() const = 0;
    // Runs the pending window events and returns.
    virtual void DoEvents() = 0;
    // Closes the window for good (after a close that waited for a running command).
    virtual void Close() = 0;

    // The window's place as it is now; SetPlacement puts it there before it is first shown
    // (a client area below the least is taken as the least).
    virtual WindowPlacement Placement() const = 0;
    virtual void SetPlacement(const WindowPlacement& placement) = 0;
    // The work areas of the screens, in the coordinates of Placement.
    virtual std::vector<PixelRect> Screens() const = 0;
};

struct MainWindowControls {
    FormRuntime& form;
    TextBoxControl& txtFolder;
    ButtonControl& cmdFind;
    ButtonControl& cmdRemove;
    CheckBoxControl& chkReadOnly;
    ResultList& ListView1;
    CheckBoxControl& chkIgnoreJunk;
};

// Key codes of the keys the window's logic tells apart (those of Windows' virtual keys).
inline constexpr int KeyReturn = 13;
inline constexpr int KeySpace = 32;
inline constexpr int KeyF4 = 115;

// Pointer values of the form's MousePointer.
inline constexpr int PointerDefault = 0;
inline constexpr int PointerArrowHourglass = 13;
