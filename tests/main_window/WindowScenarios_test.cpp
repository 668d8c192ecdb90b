// The window scenarios against the window's logic over fake controls, with the real file
// system, settings file and removal.
#include "fakes/FakeMainWindow.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/ProfileFile.h"
#include "window/WindowScenarios.h"

#include <memory>

namespace {

class FakeWindowDriver : public WindowDriver {
  public:
    void Start(const std::string& settingsFolder) override {
        window_ = std::make_unique<FakeMainWindow>();
        window_->form.appPath = settingsFolder;
        form_ = std::make_unique<frmVacantor>(
            window_->Controls(), window_->Services(*fileSystem_, *profile_, *removal_));
        form_->Form_Load();
    }
    void Quit() override {
        EXPECT_TRUE(form_->Form_QueryUnload());
        form_.reset();
    }
    bool RequestClose() override {
        if (!form_->Form_QueryUnload()) {
            return false;
        }
        window_->form.closed = true;
        return true;
    }
    bool IsOpen() override { return form_ && !window_->form.closed; }

    void Drop(const std::vector<std::string>& paths) override {
        form_->txtFolder_OLEDragDrop(paths);
    }
    void ClickRootBox() override { form_->txtFolder_Click(); }
    int ChoosersShown() override { return static_cast<int>(window_->pickerStartFolders.size()); }
    std::string RootText() override { return window_->txtFolder.text; }
    void ClickFind() override { form_->cmdFind_Click(); }
    void ClickRemove() override { form_->cmdRemove_Click(); }
    void DuringTheNextRun(std::function<void()> action) override {
        pending_ = std::move(action);
        window_->form.onDoEvents = [this] {
            if (std::function<void()> now = std::move(pending_)) {
                pending_ = nullptr;
                now();
            }
        };
    }

    void Select(std::size_t row) override { window_->list.SetSelected(row, true); }
    std::vector<std::string> Rows() override { return window_->ListedPaths(); }
    bool ShownAsRemoved(std::size_t row) override {
        return window_->list.IsRemoved(row) &&
               window_->list.Rows()[row].subItem1ForeColor == RemovedRowColor;
    }
    std::vector<std::string> Messages() override { return window_->messages; }
    std::string Controls() override {
        const FakeMainWindow& w = *window_;
        return ControlsText(w.cmdFind.caption, w.cmdFind.enabled, w.cmdRemove.caption,
                            w.cmdRemove.enabled, w.txtFolder.enabled,
                            w.form.mousePointer == PointerArrowHourglass);
    }

  private:
    std::unique_ptr<FileSystem> fileSystem_ = CreateSystemFileSystem();
    std::unique_ptr<ProfileFile> profile_ = CreateSystemProfileFile();
    std::unique_ptr<FolderRemoval> removal_ = CreateSystemFolderRemoval();
    std::unique_ptr<FakeMainWindow> window_;
    std::unique_ptr<frmVacantor> form_;
    std::function<void()> pending_;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, WindowScenario, FakeWindowDriver);
