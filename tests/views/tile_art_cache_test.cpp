#include "views/tile_art_cache.h"

#include <QPainter>
#include <QRegion>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

TileArt placeholder(const QString &seed = QStringLiteral("Kestrel Paper Satellites"))
{
    TileArt art;
    art.tile = QRect(40, 30, 160, 220);
    art.seed = seed;
    art.highlight = QColor(48, 140, 198);
    art.edge = Qt::black;
    return art;
}

QImage gradientCover(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    }
    return image;
}

} // namespace

TEST(TileArtCache, PicturesPaintedTogetherOnOtherThreadsMatchThoseOfOneTile)
{
    QList<TileArt> page;
    for (int i = 0; i < 9; ++i) {
        TileArt art = placeholder(QString::number(i));
        art.tile.moveLeft(i * 190);
        art.selected = i == 2;
        art.hovering = i == 5;
        if (i % 3 == 0)
            art.cover = gradientCover(200 + i, 180);
        page.append(art);
    }
    TileArtCache cache;
    cache.prepare(page);
    EXPECT_EQ(cache.count(), page.size());
    for (const TileArt &art : std::as_const(page)) {
        SCOPED_TRACE(art.seed.toStdString());
        EXPECT_EQ(cache.art(art), TileArtCache::paint(art));
    }
    EXPECT_EQ(cache.count(), page.size()); // every one was found, none painted again
}

TEST(TileArtCache, WhatTheTileShowsChangesItsPicture)
{
    const TileArt base = placeholder();
    const struct {
        const char *change;
        std::function<void(TileArt &)> apply;
    } cases[] = {
        { "selected", [](TileArt &a) { a.selected = true; } },
        { "hovering", [](TileArt &a) { a.hovering = true; } },
        { "another seed", [](TileArt &a) { a.seed = QStringLiteral("Dee Marlowe Southside Letters"); } },
        { "a cover", [](TileArt &a) { a.cover = gradientCover(120, 120); } },
        { "wider", [](TileArt &a) { a.tile.setWidth(180); } },
        { "sharper screen", [](TileArt &a) { a.devicePixelRatio = 2; } },
    };
    TileArtCache cache;
    const QImage plain = cache.art(base);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.change);
        TileArt changed = base;
        c.apply(changed);
        EXPECT_NE(cache.art(changed), plain);
    }
    EXPECT_EQ(cache.art(base), plain);
}

TEST(TileArtCache, BandsDrawnThroughAClipOfManyRectanglesEqualOneDraw)
{
    TileArt art = placeholder();
    art.cover = gradientCover(160, 160);
    const QImage picture = TileArtCache::paint(art);
    QRegion clip;
    for (int x = 0; x < 260; x += 20)
        clip += QRect(x, 0, 12, 300);
    auto drawn = [&](bool bands) {
        QImage target(260, 300, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::white);
        QPainter painter(&target);
        painter.setClipRegion(clip);
        if (bands)
            drawTileArt(painter, art.tile, picture);
        else
            painter.drawImage(TileArtCache::artRect(art.tile).topLeft(), picture);
        return target;
    };
    EXPECT_EQ(drawn(true), drawn(false));
}
