// The window scenarios against the Qt window with the real services, offscreen.
#include "QtTestSupport.h"
#include "platform/qt/QtMainWindow.h"
#include "platform/qt/RootFolderEdit.h"
#include "platform/qt/SystemServices.h"
#include "window/WindowScenarios.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <memory>

namespace {

QString Decoded(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

class QtWindowDriver : public WindowDriver {
  public:
    QtWindowDriver() {
        closer_->choose = [](QMessageBox& box) {
            return qobject_cast<QPushButton*>(box.button(QMessageBox::Yes));
        };
        closer_->onDialog = [this](QDialog& dialog) {
            ++choosers_;
            dialog.reject();
        };
    }

    void Start(const std::string& settingsFolder) override {
        window_ = std::make_unique<QtMainWindow>(services_->Services(), settingsFolder);
        services_->SetMainWindow(&window_->Window());
        window_->Window().show();
    }
    void Quit() override {
        EXPECT_TRUE(window_->Window().close());
        window_.reset();
    }
    bool RequestClose() override { return window_->Window().close(); }
    bool IsOpen() override { return window_ && window_->Window().isVisible(); }

    void Drop(const std::vector<std::string>& paths) override {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls.append(QUrl::fromLocalFile(Decoded(path)));
        }
        data.setUrls(urls);
        RootFolderEdit& edit = window_->Window().txtFolder();
        const QPoint where(5, 5);
        QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &enter);
        QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &drop);
    }
    void ClickRootBox() override {
        QTest::mouseClick(&window_->Window().txtFolder(), Qt::LeftButton);
    }
    int ChoosersShown() override { return choosers_; }
    std::string RootText() override {
        return QFile::encodeName(window_->Window().txtFolder().text()).toStdString();
    }
    void ClickFind() override { QTest::mouseClick(&window_->Window().cmdFind(), Qt::LeftButton); }
    void ClickRemove() override {
        QTest::mouseClick(&window_->Window().cmdRemove(), Qt::LeftButton);
    }
    void DuringTheNextRun(std::function<void()> action) override {
        QTimer::singleShot(0, std::move(action));
    }

    // A click on the row with Ctrl held, as a user adds to the selection.
    void Select(std::size_t row) override {
        ShowAllRows();
        QTreeView& view = window_->Window().ListView1();
        QModelIndex cell = window_->Rows().index(static_cast<int>(row), 1);
        view.scrollTo(cell);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                          view.visualRect(cell).center());
    }
    std::vector<std::string> Rows() override {
        ShowAllRows();
        std::vector<std::string> paths;
        ResultRowsModel& rows = window_->Rows();
        for (int row = 0; row < rows.rowCount(); ++row) {
            paths.push_back(QFile::encodeName(rows.index(row, 1).data().toString()).toStdString());
        }
        return paths;
    }
    bool ShownAsRemoved(std::size_t row) override {
        const QColor dimmed = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        QVariant brush = window_->Rows().index(static_cast<int>(row), 1).data(Qt::ForegroundRole);
        return brush.isValid() && brush.value<QBrush>().color() == dimmed;
    }
    std::vector<std::string> Messages() override {
        std::vector<std::string> texts;
        for (const QString& text : closer_->texts) {
            texts.push_back(text.toStdString());
        }
        return texts;
    }

    std::string Controls() override {
        VacantorWindow& w = window_->Window();
        return ControlsText(w.cmdFind().text().toStdString(), w.cmdFind().isEnabled(),
                            w.cmdRemove().text().toStdString(), w.cmdRemove().isEnabled(),
                            w.txtFolder().isEnabled(), w.cursor().shape() == Qt::BusyCursor);
    }

  private:
    // The list shows its rows in batches, a moment after they were added.
    void ShowAllRows() {
        ResultRowsModel& rows = window_->Rows();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return static_cast<std::size_t>(rows.rowCount()) == rows.RowCount(); }, 5000));
    }

    bool started_ = (EnsureQtApplication(), true);
    std::unique_ptr<SystemServices> services_ = std::make_unique<SystemServices>();
    std::unique_ptr<ModalCloser> closer_ = std::make_unique<ModalCloser>();
    std::unique_ptr<QtMainWindow> window_;
    int choosers_ = 0;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowScenario, QtWindowDriver);
