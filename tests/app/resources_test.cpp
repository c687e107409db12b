#include "app/resources.h"
#include "views/components/symbol_icon.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>

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

// The names the views ask for: every dotted symbol name in their sources, and every name
// written straight into a symbol call.
TEST(Resources, BundleEverySymbolTheViewsName)
{
    static const QRegularExpression dotted(
        QStringLiteral(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)+)")re"));
    static const QRegularExpression called(QStringLiteral(
        R"re(symbol(?:Icon|Label)\(\s*(?:QStringLiteral\(|QString::fromLatin1\()?"([^"]+)")re"));
    QSet<QString> names;
    QDirIterator files(QStringLiteral(VORLA_SOURCE_DIR "/src/views"),
        { QStringLiteral("*.cpp"), QStringLiteral("*.h") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpression *pattern : { &dotted, &called }) {
            for (const QRegularExpressionMatch &match : pattern->globalMatch(text))
                names.insert(match.captured(1));
        }
    }
    // The walk found the views' names at all.
    EXPECT_TRUE(names.contains(QStringLiteral("plus")));
    EXPECT_TRUE(names.contains(QStringLiteral("square.grid.2x2")));
    for (const QString &name : std::as_const(names)) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(hasSymbol(name));
    }
}
