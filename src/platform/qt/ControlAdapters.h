#pragma once

#include "platform/MainWindowControls.h"

#include <string>

class QCheckBox;
class QPushButton;
class QWidget;
class RootFolderEdit;

// The window's controls as its logic sees them. They only translate.

class TextBoxAdapter final : public TextBoxControl {
  public:
    explicit TextBoxAdapter(RootFolderEdit& edit) : edit_(edit) {}
    void SetText(const std::string& text) override;
    void SetEnabled(bool enabled) override;
    void SetOLEDropMode(int mode) override;
    void SetLocked(bool locked) override;

  private:
    RootFolderEdit& edit_;
};

class ButtonAdapter final : public ButtonControl {
  public:
    explicit ButtonAdapter(QPushButton& button) : button_(button) {}
    void SetCaption(const std::string& caption) override;
    void SetEnabled(bool enabled) override;

  private:
    QPushButton& button_;
};

class CheckBoxAdapter final : public CheckBoxControl {
  public:
    explicit CheckBoxAdapter(QCheckBox& checkBox) : checkBox_(checkBox) {}
    int Value() const override;
    void SetValue(int value) override;

  private:
    QCheckBox& checkBox_;
};

// The window runtime: the pointer, the settings folder, the event pump and closing.
class QtFormRuntime final : public FormRuntime {
  public:
    // `appPath`: the folder AppPath reports (ProgramServices::SettingsFolder in the program).
    QtFormRuntime(QWidget& window, std::string appPath);

    void SetMousePointer(int pointer) override;
    std::string AppPath() const override;
    void DoEvents() override;
    void Close() override;
    WindowPlacement Placement() const override;
    void SetPlacement(const WindowPlacement& placement) override;
    std::vector<PixelRect> Screens() const override;

  private:
    QWidget& window_;
    std::string appPath_;
};
