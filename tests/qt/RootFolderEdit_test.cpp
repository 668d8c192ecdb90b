#include "QtTestApp.h"

#include "platform/qt/RootFolderEdit.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

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

TEST(LocalPathsOf, TakesDropsWhoseFirstItemIsALocalFile) {
    struct Case {
        const char* name;
        std::unique_ptr<QMimeData> data;
        std::optional<Paths> expected;
    };
    Case cases[] = {
        {"one folder", Urls({QUrl::fromLocalFile("/tmp/a b")}), Paths{"/tmp/a b"}},
        {"first item first", Urls({QUrl::fromLocalFile("/tmp/x"), QUrl::fromLocalFile("/tmp/y")}),
         Paths{"/tmp/x", "/tmp/y"}},
        {"UTF-8 name", Urls({QUrl::fromLocalFile(QString::fromUtf8("/tmp/caf\xc3\xa9"))}),
         Paths{"/tmp/caf\xc3\xa9"}},
        {"name that is not UTF-8", Urls({QUrl(QStringLiteral("file:///tmp/caf%E9"))}),
         Paths{std::string("/tmp/caf\xe9", 9)}},
        {"percent sign in a name", Urls({QUrl::fromLocalFile("/tmp/100%")}), Paths{"/tmp/100%"}},
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
}

class RootFolderEditEvents : public QtFixture {
  protected:
    RootFolderEditEvents() {
        edit.setAcceptDrops(true);
        edit.resize(200, 20);
        edit.show();
    }

    // Sends the drag-enter and, when it was accepted, the drop; true when the drop was
    // accepted.
    bool Drop(const QMimeData& data) {
        const QPoint where(10, 10);
        QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &enter);
        dragAccepted = enter.isAccepted();
        QDropEvent drop(QPointF(where), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &drop);
        return drop.isAccepted();
    }

    RootFolderEdit edit;
    QSignalSpy drops{&edit, &RootFolderEdit::filesDropped};
    QSignalSpy clicks{&edit, &RootFolderEdit::clicked};
    bool dragAccepted = false;
};

TEST_F(RootFolderEditEvents, DropOfLocalFilesIsAcceptedAndReported) {
    auto data = Urls({QUrl::fromLocalFile("/tmp/one"), QUrl::fromLocalFile("/tmp/two")});
    EXPECT_TRUE(Drop(*data));
    EXPECT_TRUE(dragAccepted);
    ASSERT_EQ(drops.count(), 1);
    EXPECT_EQ(drops.at(0).at(0).value<Paths>(), (Paths{"/tmp/one", "/tmp/two"}));
}

TEST_F(RootFolderEditEvents, DroppedTextIsRefusedAndLeavesTheTextAlone) {
    edit.setText("before");
    auto data = Text("/tmp/typed");
    EXPECT_FALSE(Drop(*data));
    EXPECT_FALSE(dragAccepted);
    EXPECT_EQ(drops.count(), 0);
    EXPECT_EQ(edit.text(), "before");
}

TEST_F(RootFolderEditEvents, ADisabledBoxTakesNoClick) {
    edit.setEnabled(false);
    QTest::mouseClick(&edit, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 0);
}

} // namespace
