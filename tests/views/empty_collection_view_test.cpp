#include "views/empty_collection_view.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

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

TEST(EmptyCollectionView, OffersTheFiveWaysInWithIcons)
{
    EmptyCollectionView view;
    const QList<QPushButton *> buttons = { view.scanButton(), view.manualButton(),
        view.importPhotosButton(), view.importListButton(), view.importCSVButton() };
    QStringList texts;
    for (QPushButton *button : buttons) {
        texts.append(button->text());
        EXPECT_FALSE(button->icon().isNull()) << button->text().toStdString();
    }
    EXPECT_EQ(texts,
        (QStringList { "Scan Barcode", "Add Manually", "Import Photos", "Import List",
            "Import CSV" }));
    EXPECT_TRUE(view.scanButton()->isDefault());
}
