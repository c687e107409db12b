#include "views/empty_collection_view.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QLabel *description(const EmptyCollectionView &view)
{
    for (QLabel *label : view.findChildren<QLabel *>()) {
        if (label->wordWrap())
            return label;
    }
    return nullptr;
}

} // namespace

TEST(EmptyCollectionView, OffersFiveWaysInEachWithItsSymbolAndRequest)
{
    EmptyCollectionView view;
    const struct
    {
        QPushButton *button;
        const char *text;
        void (EmptyCollectionView::*request)();
    } buttons[] = {
        { view.scanButton(), "Scan Barcode", &EmptyCollectionView::scanRequested },
        { view.manualButton(), "Add Manually", &EmptyCollectionView::addManuallyRequested },
        { view.importPhotosButton(), "Import Photos", &EmptyCollectionView::importPhotosRequested },
        { view.importListButton(), "Import List", &EmptyCollectionView::importListRequested },
        { view.importCSVButton(), "Import CSV", &EmptyCollectionView::importCSVRequested },
    };
    for (const auto &b : buttons) {
        SCOPED_TRACE(b.text);
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.text));
        EXPECT_FALSE(b.button->icon().isNull());
        QSignalSpy requested(&view, b.request);
        b.button->click();
        EXPECT_EQ(requested.count(), 1);
    }
    EXPECT_TRUE(view.scanButton()->isDefault());

    QStringList texts;
    bool pictured = false;
    for (const QLabel *label : view.findChildren<QLabel *>()) {
        texts.append(label->text());
        pictured = pictured || !label->pixmap().isNull();
    }
    EXPECT_TRUE(pictured);
    EXPECT_TRUE(texts.contains(QStringLiteral("Your crate is empty")));
    EXPECT_TRUE(texts.contains(QStringLiteral(
        "Scan a record's barcode or its spine, paste a list of records, or add one by hand. "
        "Vorla pulls in artwork, tracklists and pressing details from Discogs.")));
}

TEST(EmptyCollectionView, ExplanationIsNeverCutOff)
{
    for (const int width : { 700, 1000, 1400 }) {
        SCOPED_TRACE(width);
        EmptyCollectionView view;
        view.resize(width, 600);
        view.show();
        QApplication::processEvents();
        QLabel *text = description(view);
        ASSERT_NE(text, nullptr);
        EXPECT_LE(text->width(), 460);
        EXPECT_GE(text->height(), text->heightForWidth(text->width()));
        // Wrapped onto several lines, and every one of them shown.
        EXPECT_GE(text->height(), 2 * text->fontMetrics().height());
    }
}
