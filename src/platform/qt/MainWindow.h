#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeView;
class RootFolderEdit;

// The window "Empty Folders in the Folder" and its six widgets, laid out at fixed positions
// given in twips (1/1440 inch) and converted at the screen's logical DPI. The window cannot be
// resized.
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

    // Asked on every close request; returning false keeps the window open.
    std::function<bool()> onQueryUnload;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void LayOut();

    QLabel* lblFolder_;
    RootFolderEdit* txtFolder_;
    QPushButton* cmdFind_;
    QTreeView* listView1_;
    QPushButton* cmdRemove_;
    QCheckBox* chkReadOnly_;
};

// Twips to pixels at `dotsPerInch`, rounded to the nearest pixel.
int TwipsToPixels(int twips, double dotsPerInch);
