// The Qt window, offscreen: what is its own (drops read as URLs, its tab order, its list
// model that takes rows in batches), then the window scenarios that all front ends share.
#include "ModalCloser.h"
#include "main_window/MainWindowLayout.h"
#include "platform/qt/MainWindow.h"
#include "platform/qt/PathDelegate.h"
#include "platform/qt/ProgramServices.h"
#include "platform/qt/ResultListAdapter.h"
#include "platform/qt/ResultRowsModel.h"
#include "platform/qt/RootFolderEdit.h"
#include "platform/qt/VacantorWindow.h"
#include "window/WindowScenarios.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace {

using Paths = std::vector<std::string>;

std::unique_ptr<QMimeData> Urls(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

std::unique_ptr<QMimeData> Text(const QString& text) {
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    return data;
}

// Drags `data` onto `widget` and drops it there; whether the drag and the drop were taken.
std::pair<bool, bool> DragAndDrop(QWidget& widget, const QMimeData& data) {
    const QPoint where(5, 5);
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &enter);
    QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

TEST(QtRootFolderEdit, TakesDropsWhoseFirstItemIsALocalFileAndRefusesText) {
    struct Case {
        const char* name;
        std::unique_ptr<QMimeData> data;
        std::optional<Paths> expected;
    };
    Case cases[] = {
        {"one folder", Urls({QUrl::fromLocalFile("/tmp/a b")}), Paths{"/tmp/a b"}},
        {"UTF-8 name", Urls({QUrl::fromLocalFile(QString::fromUtf8("/tmp/caf\xc3\xa9"))}),
         Paths{"/tmp/caf\xc3\xa9"}},
        {"name that is not UTF-8", Urls({QUrl(QStringLiteral("file:///tmp/caf%E9"))}),
         Paths{std::string("/tmp/caf\xe9", 9)}},
        {"localhost", Urls({QUrl(QStringLiteral("file://localhost/tmp/a"))}), Paths{"/tmp/a"}},
        {"dragged text", Text("/tmp/a"), std::nullopt},
        {"empty list", Urls({}), std::nullopt},
        {"web address", Urls({QUrl(QStringLiteral("https://example.org/a"))}), std::nullopt},
        {"file on another host", Urls({QUrl(QStringLiteral("file://server/share/a"))}),
         std::nullopt},
        // Only the first item counts: regression, a later remote item refused the drop.
        {"remote after local",
         Urls({QUrl::fromLocalFile("/tmp/a"), QUrl(QStringLiteral("https://example.org/"))}),
         Paths{"/tmp/a"}},
        {"local after remote",
         Urls({QUrl(QStringLiteral("https://example.org/")), QUrl::fromLocalFile("/tmp/a")}),
         std::nullopt},
    };
    for (const Case& testCase : cases) {
        EXPECT_EQ(LocalPathsOf(*testCase.data), testCase.expected) << testCase.name;
    }

    // Dragged text is refused as a whole: the box would otherwise take it as typed.
    EnsureQtApplication();
    RootFolderEdit edit;
    edit.setText("before");
    QSignalSpy drops(&edit, &RootFolderEdit::filesDropped);
    EXPECT_EQ(DragAndDrop(edit, *Text("/tmp/typed")), std::make_pair(false, false));
    EXPECT_EQ(drops.count(), 0);
    EXPECT_EQ(edit.text(), "before");
}

// The controls' texts (their places are a shared scenario's); the program's icon at small
// and large sizes; the tab key walks the controls in their order. The path column takes the
// width the number leaves, at any width of the list; a path too long for it keeps its start
// and its last name, and a last name too long alone its end.
TEST(QtWindow, ControlsInTabOrderAndAPathColumnThatFillsTheList) {
    EnsureQtApplication();
    MainWindow window;
    EXPECT_EQ(window.lblFolder().text(), "Root Folder");
    EXPECT_EQ(window.chkReadOnly().text(), "Delete Read Only Folder");
    EXPECT_EQ(window.chkIgnoreJunk().text(), "Ignore junk files");
    const QList<QSize> sizes = window.windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256))) << sizes.size();
    ResultListAdapter list{window.ListView1()};
    list.AddColumn("No.");
    list.AddColumn("Folder Path");

    window.show();
    std::vector<QWidget*> expected{&window.cmdFind(),       &window.ListView1(),
                                   &window.cmdRemove(),     &window.chkReadOnly(),
                                   &window.chkIgnoreJunk(), &window.txtFolder()};
    QWidget* widget = &window.txtFolder();
    for (QWidget* next : expected) {
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&window) ||
                 widget->parentWidget() != &window);
        EXPECT_EQ(widget, next) << next->objectName().toStdString();
    }

    QTreeView& view = window.ListView1();
    for (int width : {300, 900}) {
        view.resize(width, 200);
        QCoreApplication::processEvents();
        EXPECT_EQ(view.header()->sectionSize(0) + view.header()->sectionSize(1),
                  view.viewport()->width());
    }
    const QFontMetrics metrics(view.font());
    const QString path = QStringLiteral("Photos/2019/Summer in the mountains/Wedding");
    const QString ellipsis(QChar(0x2026));
    EXPECT_EQ(ElidePath(path, metrics, metrics.horizontalAdvance(path)), path);
    const int room = metrics.horizontalAdvance(QStringLiteral("Photos/2019/Sum/Wedding"));
    const QString shown = ElidePath(path, metrics, room);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Photos/2")) &&
                shown.endsWith(ellipsis + QStringLiteral("/Wedding")))
        << shown.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(shown), room);
    const QString tight = ElidePath(path, metrics, metrics.horizontalAdvance("Wedd"));
    EXPECT_TRUE(tight.startsWith(ellipsis) && tight.endsWith(QStringLiteral("g")))
        << tight.toStdString();
}

class QtResultList : public ::testing::Test {
  protected:
    QtResultList() {
        list.SetMultiSelect(true);
        list.AddColumn("No.");
        list.AddColumn("Folder Path");
    }

    void AddRows(int count) {
        for (int i = 0; i < count; ++i) {
            list.AddRow(std::to_string(list.RowCount()));
            list.SetSubItem1Text(list.RowCount() - 1, "folder" + std::to_string(i));
        }
    }

    void Select(int row, QItemSelectionModel::SelectionFlags how) {
        view.selectionModel()->setCurrentIndex(model.index(row, 0),
                                               how | QItemSelectionModel::Rows);
    }

    bool started = (EnsureQtApplication(), true); // before the widgets
    QTreeView view;
    ResultListAdapter list{view};
    ResultRowsModel& model = list.Model();
};

// Path bytes that are not UTF-8 are kept exactly, and shown all the same. The selection is
// read from the view. The model keeps its invariants through adds, marks and clears.
TEST_F(QtResultList, RowsReachTheViewInOneBatchSoonAfterTheyAreAdded) {
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    int insertions = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
    AddRows(1000);
    const std::string latin1Name("caf\xe9", 4);
    list.SetSubItem1Text(999, latin1Name);
    EXPECT_EQ(list.RowCount(), 1000u);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return model.rowCount() == 1000; }, 5000));
    EXPECT_EQ(insertions, 1);
    EXPECT_EQ(list.SubItem1Text(999), latin1Name);
    EXPECT_FALSE(model.index(999, 1).data().toString().isEmpty());

    EXPECT_FALSE(list.SelectedItem().has_value());
    Select(1, QItemSelectionModel::ClearAndSelect);
    Select(3, QItemSelectionModel::Select);
    EXPECT_TRUE(!list.IsSelected(2) && list.IsSelected(3));
    EXPECT_EQ(list.SelectedItem(), std::optional<std::size_t>(3));

    // The focused row deselected with Ctrl: no SelectedItem although row 1 stays selected.
    Select(3, QItemSelectionModel::Deselect);
    EXPECT_TRUE(list.IsSelected(1));
    EXPECT_FALSE(list.SelectedItem().has_value());

    list.SetRemoved(2);
    list.SetSubItem1ForeColor(2, RemovedRowColor);
    list.ClearRows();
    AddRows(2);
    model.FlushPendingRows();
    list.ClearColumns();
    list.AddColumn("No.");
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 1);
}

// The shared window scenarios against the Qt window with the real services.
class QtWindowDriver : public WindowDriver {
  public:
    QtWindowDriver() {
        closer_.onDialog = [this](QDialog& dialog) {
            ++choosers_;
            dialog.reject();
        };
    }

    ~QtWindowDriver() override { ::unsetenv("XDG_CONFIG_HOME"); }

    // As the package installs the program, with the user's configuration folder in
    // `settingsFolder`: the settings file goes to its folder "vacantor".
    void Start(const std::string& settingsFolder) override {
        window_.reset();
        services_.reset();
        ::setenv("XDG_CONFIG_HOME", settingsFolder.c_str(), 1);
        services_ = std::make_unique<ProgramServices>(ExecutableFolder());
        EXPECT_EQ(services_->SettingsFolder(), settingsFolder + "/vacantor");
        MainWindowServices services = services_->Services();
        services.desktopShell = &desktop_;
        window_ = std::make_unique<VacantorWindow>(services, services_->SettingsFolder());
        services_->SetActiveForm(&window_->Window());
        window_->Window().show();
    }
    void Quit() override {
        EXPECT_TRUE(window_->Window().close());
        window_.reset();
    }
    bool RequestClose() override { return window_->Window().close(); }
    bool IsOpen() override { return window_ && window_->Window().isVisible(); }

    void Drop(const std::vector<std::string>& paths) override {
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls.append(QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
        }
        DragAndDrop(window_->Window().txtFolder(), *Urls(urls));
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
    void Select(std::size_t position) override {
        QTest::mouseClick(List().viewport(), Qt::LeftButton, Qt::ControlModifier,
                          RowCentre(position));
    }
    std::vector<std::string> Rows() override { return Cells(1); }
    std::vector<std::string> Numbers() override { return Cells(0); }
    std::vector<std::size_t> SelectedPositions() override {
        ShowAllRows();
        std::vector<std::size_t> positions;
        for (int position = 0; position < window_->Rows().rowCount(); ++position) {
            if (List().selectionModel()->isRowSelected(position, QModelIndex())) {
                positions.push_back(static_cast<std::size_t>(position));
            }
        }
        return positions;
    }
    void ClickColumnHeader(int column) override {
        QHeaderView& header = *List().header();
        const QPoint centre(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                            header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    }
    std::string SortIndicator() override {
        const QHeaderView& header = *List().header();
        if (!header.isSortIndicatorShown()) {
            return "";
        }
        return std::to_string(header.sortIndicatorSection()) +
               (header.sortIndicatorOrder() == Qt::AscendingOrder ? " up" : " down");
    }
    void PressCtrlA() override { QTest::keyClick(&List(), Qt::Key_A, Qt::ControlModifier); }
    // A right click on the row, then the menu it opens: its item is triggered once shown.
    std::vector<std::string> ContextMenu(std::size_t position, const std::string& choice) override {
        const QPoint centre = RowCentre(position);
        QTest::mouseClick(List().viewport(), Qt::RightButton, Qt::NoModifier, centre);
        std::vector<std::string> captions;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) {
                return;
            }
            poll.stop();
            for (QAction* action : menu->actions()) {
                const std::string text = action->text().toStdString();
                captions.push_back(action->isSeparator() ? "-"
                                                         : text + (action->isEnabled() ? "" : "-"));
                if (text == choice && action->isEnabled()) {
                    action->trigger();
                }
            }
            menu->close();
        });
        poll.start(10);
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre,
                                List().viewport()->mapToGlobal(centre));
        QCoreApplication::sendEvent(List().viewport(), &event);
        return captions;
    }
    FakeDesktopShell& Desktop() override { return desktop_; }
    bool ShownAsRemoved(std::size_t position) override {
        const QColor dimmed = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
        QVariant brush =
            window_->Rows().index(static_cast<int>(position), 1).data(Qt::ForegroundRole);
        return brush.isValid() && brush.value<QBrush>().color() == dimmed;
    }
    std::vector<std::string> Messages() override {
        std::vector<std::string> texts;
        for (const QString& text : closer_.texts) {
            texts.push_back(text.toStdString());
        }
        return texts;
    }

    std::string SettingsFile() override { return window_->Form().State().IniFilePath; }
    PixelSize ClientSize() override {
        return {window_->Window().width(), window_->Window().height()};
    }
    PixelRect Place() override {
        const QWidget& w = window_->Window();
        return {w.x(), w.y(), w.width(), w.height()};
    }
    std::pair<int, int> Dpi() override {
        return {window_->Window().logicalDpiX(), window_->Window().logicalDpiY()};
    }
    MainWindowLayout ControlPlaces() override {
        MainWindow& w = window_->Window();
        auto place = [](const QWidget& widget) {
            const QRect r = widget.geometry();
            return PixelRect{r.x(), r.y(), r.width(), r.height()};
        };
        return {place(w.lblFolder()),    place(w.txtFolder()), place(w.cmdFind()),
                place(w.ListView1()),    place(w.cmdRemove()), place(w.chkReadOnly()),
                place(w.chkIgnoreJunk())};
    }
    void Resize(PixelSize size) override {
        window_->Window().resize(size.width, size.height);
        QCoreApplication::processEvents();
    }
    void Move(int left, int top) override { window_->Window().move(left, top); }
    void TypeInRootBox(const std::string& text) override {
        QTest::keyClicks(&window_->Window().txtFolder(), QString::fromStdString(text));
    }
    void PressKeyInRootBox(int keyCode) override {
        const Qt::Key key = keyCode == KeyReturn  ? Qt::Key_Return
                            : keyCode == KeySpace ? Qt::Key_Space
                            : keyCode == KeyF4    ? Qt::Key_F4
                                                  : static_cast<Qt::Key>(keyCode);
        QTest::keyClick(&window_->Window().txtFolder(), key);
    }
    void ClickIgnoreJunk() override {
        QTest::mouseClick(&window_->Window().chkIgnoreJunk(), Qt::LeftButton);
    }
    bool IgnoreJunkTicked() override { return window_->Window().chkIgnoreJunk().isChecked(); }

    std::string Controls() override {
        MainWindow& w = window_->Window();
        return ControlsText(w.cmdFind().text().toStdString(), w.cmdFind().isEnabled(),
                            w.cmdRemove().text().toStdString(), w.cmdRemove().isEnabled(),
                            w.txtFolder().isEnabled(), w.cursor().shape() == Qt::BusyCursor);
    }

  private:
    QTreeView& List() { return window_->Window().ListView1(); }
    QPoint RowCentre(std::size_t position) {
        ShowAllRows();
        const QModelIndex cell = window_->Rows().index(static_cast<int>(position), 1);
        List().scrollTo(cell);
        return List().visualRect(cell).center();
    }
    std::vector<std::string> Cells(int column) {
        ShowAllRows();
        std::vector<std::string> cells;
        ResultRowsModel& rows = window_->Rows();
        for (int row = 0; row < rows.rowCount(); ++row) {
            cells.push_back(
                QFile::encodeName(rows.index(row, column).data().toString()).toStdString());
        }
        return cells;
    }

    // The list shows its rows in batches, a moment after they were added.
    void ShowAllRows() {
        ResultRowsModel& rows = window_->Rows();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return static_cast<std::size_t>(rows.rowCount()) == rows.RowCount(); }, 5000));
    }

    bool started_ = (EnsureQtApplication(), true);
    ModalCloser closer_;
    FakeDesktopShell desktop_;
    std::unique_ptr<ProgramServices> services_;
    std::unique_ptr<VacantorWindow> window_;
    int choosers_ = 0;
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, WindowScenario, QtWindowDriver);
