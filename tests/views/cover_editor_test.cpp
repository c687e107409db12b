#include "views/cover_editor.h"

#include "heic_writer.h"
#include "test_images.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace vorla;
using namespace vorla::test;

namespace {

class CoverEditorTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    CoverEditor editor;
    QSignalSpy edited { &editor, &CoverEditor::coverEdited };

    CoverEditorTest()
    {
        QGuiApplication::clipboard()->clear();
        editor.resize(170, 240);
        editor.show();
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }
    QWidget *preview() { return editor.findChild<QWidget *>(QStringLiteral("coverPreview")); }
    QPushButton *button(const char *name)
    {
        return editor.findChild<QPushButton *>(QString::fromLatin1(name));
    }
    // Drags `data` over the preview and drops it there; returns whether each was accepted.
    std::pair<bool, bool> dragAndDrop(QMimeData &data)
    {
        const QPoint middle = preview()->rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(preview(), &enter);
        const bool entered = enter.isAccepted();
        EXPECT_EQ(editor.isDropTargeted(), entered);
        QDropEvent drop(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(preview(), &drop);
        EXPECT_FALSE(editor.isDropTargeted());
        return { entered, drop.isAccepted() };
    }
    void waitUntilIdle()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return !editor.isBusy(); }, 10000));
    }
    static QSize sizeOf(const std::optional<QByteArray> &jpeg)
    {
        return jpeg ? QImage::fromData(*jpeg, "JPEG").size() : QSize();
    }
    static QColor colorOf(const std::optional<QByteArray> &jpeg)
    {
        const QImage image = QImage::fromData(jpeg.value_or(QByteArray()));
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }
};

} // namespace

TEST_F(CoverEditorTest, HintsAndTheRemoveButtonFollowTheCover)
{
    EXPECT_EQ(editor.dropHint(), QStringLiteral("Drop artwork here"));
    EXPECT_TRUE(button("removeCoverButton")->isHidden());
    editor.setCover(encodedImage(40, 40, "JPEG"));
    EXPECT_EQ(editor.dropHint(), QString());
    EXPECT_FALSE(button("removeCoverButton")->isHidden());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(preview(), &enter);
    EXPECT_EQ(editor.dropHint(), QStringLiteral("Drop to replace"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(preview(), &leave);
    EXPECT_EQ(editor.dropHint(), QString());
    EXPECT_EQ(edited.count(), 0);

    button("removeCoverButton")->click();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).value<std::optional<QByteArray>>(), std::nullopt);
    EXPECT_EQ(editor.cover(), std::nullopt);
    EXPECT_TRUE(button("removeCoverButton")->isHidden());
}

TEST_F(CoverEditorTest, DroppedFileBecomesADownscaledJpeg)
{
    QMimeData data;
    data.setUrls(
        { QUrl::fromLocalFile(file(QStringLiteral("big.png"), encodedImage(2400, 1200))) });
    EXPECT_EQ(dragAndDrop(data), std::make_pair(true, true));
    EXPECT_TRUE(editor.isBusy());
    waitUntilIdle();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(sizeOf(editor.cover()), QSize(1200, 600));
    EXPECT_TRUE(editor.message().isEmpty());
}

TEST_F(CoverEditorTest, DroppedHeicPhotoIsTakenUpright)
{
    QImage upright(2400, 1200, QImage::Format_RGB32);
    upright.fill(Qt::white);
    const QString path = dir.filePath(QStringLiteral("phone.heic"));
    ASSERT_TRUE(writeHeic(upright, path));
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(path) });
    EXPECT_EQ(dragAndDrop(data), std::make_pair(true, true));
    waitUntilIdle();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(sizeOf(editor.cover()), QSize(1200, 600));
    EXPECT_TRUE(editor.message().isEmpty());
}

TEST_F(CoverEditorTest, DropTakesTheFirstReadableImage)
{
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(file(QStringLiteral("notes.txt"), "not an image")),
        QUrl(QStringLiteral("https://example.com/cover.jpg")),
        QUrl::fromLocalFile(
            file(QStringLiteral("blue.png"), encodedImage(50, 50, "PNG", Qt::blue))),
        QUrl::fromLocalFile(
            file(QStringLiteral("red.png"), encodedImage(50, 50, "PNG", Qt::red))) });
    EXPECT_EQ(dragAndDrop(data), std::make_pair(true, true));
    waitUntilIdle();
    const QColor color = colorOf(editor.cover());
    EXPECT_GT(color.blue(), 200);
    EXPECT_LT(color.red(), 60);
}

TEST_F(CoverEditorTest, DroppedImageDataIsTaken)
{
    QImage image(300, 300, QImage::Format_RGB32);
    image.fill(Qt::green);
    QMimeData data;
    data.setImageData(image);
    EXPECT_EQ(dragAndDrop(data), std::make_pair(true, true));
    waitUntilIdle();
    EXPECT_EQ(sizeOf(editor.cover()), QSize(300, 300));
}

TEST_F(CoverEditorTest, DropWithoutAnImageIsRefusedAndChangesNothing)
{
    editor.setCover(encodedImage(40, 40, "JPEG"));
    const auto before = editor.cover();
    QMimeData data;
    data.setText(QStringLiteral("hello"));
    data.setUrls({ QUrl::fromLocalFile(file(QStringLiteral("a.txt"), "text")),
        QUrl::fromLocalFile(dir.path()) });
    EXPECT_EQ(dragAndDrop(data), std::make_pair(false, false));
    EXPECT_FALSE(editor.isBusy());
    EXPECT_EQ(editor.cover(), before);
    EXPECT_EQ(edited.count(), 0);
}

TEST_F(CoverEditorTest, ImageThatCannotBeDecodedKeepsTheCoverAndSaysSo)
{
    editor.setCover(encodedImage(40, 40, "JPEG"));
    const auto before = editor.cover();
    // A PNG signature and header, then garbage: it looks readable until it is decoded.
    QByteArray broken = encodedImage(64, 64).left(40);
    broken.append(QByteArray(200, 'x'));
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(file(QStringLiteral("broken.png"), broken)) });
    dragAndDrop(data);
    waitUntilIdle();
    EXPECT_EQ(editor.cover(), before);
    EXPECT_EQ(edited.count(), 0);
    EXPECT_EQ(
        editor.message(), QStringLiteral("That image couldn't be read. The cover is unchanged."));
    EXPECT_FALSE(editor.findChild<QLabel *>(QStringLiteral("coverMessage"))->isHidden());

    // The next good image clears the message.
    editor.takeImageData(encodedImage(30, 30));
    waitUntilIdle();
    EXPECT_TRUE(editor.message().isEmpty());
    EXPECT_EQ(edited.count(), 1);
}

TEST_F(CoverEditorTest, PasteIsOnlyEnabledWhileTheClipboardHoldsAnImage)
{
    QPushButton *paste = button("pasteCoverButton");
    EXPECT_FALSE(paste->isEnabled());
    QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
    EXPECT_FALSE(paste->isEnabled());
    QImage image(2000, 1500, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QGuiApplication::clipboard()->setImage(image);
    ASSERT_TRUE(paste->isEnabled());
    paste->click();
    waitUntilIdle();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(sizeOf(editor.cover()), QSize(1200, 900));
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(paste->isEnabled());
}

TEST_F(CoverEditorTest, ChooseReadsTheFileTheDialogGives)
{
    const QString path = file(QStringLiteral("chosen.jpg"), encodedImage(80, 60, "JPEG"));
    button("chooseCoverButton")->click();
    auto *dialog = editor.findChild<QFileDialog *>(QStringLiteral("coverFileDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->nameFilters().join(u' ').contains(QStringLiteral("*.png")));
    dialog->reject();
    QApplication::processEvents();
    EXPECT_EQ(edited.count(), 0);

    button("chooseCoverButton")->click();
    dialog = editor.findChild<QFileDialog *>(QStringLiteral("coverFileDialog"));
    ASSERT_NE(dialog, nullptr);
    emit dialog->fileSelected(path);
    waitUntilIdle();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(sizeOf(editor.cover()), QSize(80, 60));
}

TEST_F(CoverEditorTest, UnreadableChosenFileChangesNothing)
{
    editor.takeFile(dir.filePath(QStringLiteral("missing.png")));
    waitUntilIdle();
    EXPECT_EQ(editor.cover(), std::nullopt);
    EXPECT_EQ(edited.count(), 0);
    EXPECT_FALSE(editor.message().isEmpty());
}
