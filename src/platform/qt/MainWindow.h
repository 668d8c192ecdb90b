#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeView;
class RootFolderEdit;

// The window "Empty Folders in the Folder" and its widgets, at positions given in twips
// (1/1440 inch) and converted at the screen's logical DPI. It can be made larger, never
// smaller: the list and the root box then grow (LayOutMainWindow).
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);

    QLabel& lblFolder() { return *lblFolder_; }
    RootFolderEdit& txtFolder() { return *txtFolder_; }
    QPushButton& cmdFind() { return *cmdFind_; }
    QTreeView& ListView1() { return *listView1_; }
    QPushButton& cmdRemove() { return *cmdRemove_; }
    QCheckBox& chkReadOnly() { return *chkReadOnly_; }
    QCheckBox& chkIgnoreJunk() { return *chkIgnoreJunk_; }

    // Asked on every close request; returning false keeps the window open.
    std::function<bool()> onQueryUnload;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void LayOut();

    QLabel* lblFolder_;
    RootFolderEdit* txtFolder_;
    QPushButton* cmdFind_;
    QTreeView* listView1_;
    QPushButton* cmdRemove_;
    QCheckBox* chkReadOnly_;
    QCheckBox* chkIgnoreJunk_;
};
