#include "app/resources.h"
#include "views/components/symbol_icon.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

using namespace vorla;

TEST(Resources, BundleTheSoundAndTheSymbols)
{
    QFile sound(QStringLiteral(":/sounds/tink.wav"));
    initResources();
    ASSERT_TRUE(sound.open(QIODevice::ReadOnly));
    EXPECT_TRUE(sound.read(4) == "RIFF");
    EXPECT_EQ(tinkSoundURL().scheme(), QStringLiteral("qrc"));

    for (const char *name : { "plus", "star.fill", "barcode.viewfinder", "square.grid.2x2",
             "list.bullet", "arrow.up.arrow.down", "sidebar.trailing" }) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(hasSymbol(QString::fromLatin1(name)));
        const QImage drawn
            = symbolIcon(QString::fromLatin1(name), Qt::black).pixmap(QSize(24, 24)).toImage();
        int inked = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                inked += qAlpha(drawn.pixel(x, y)) > 128 ? 1 : 0;
        EXPECT_GT(inked, 10);
    }
    EXPECT_FALSE(hasSymbol(QStringLiteral("no.such.symbol")));
    EXPECT_TRUE(symbolIcon(QStringLiteral("no.such.symbol")).isNull());
}
