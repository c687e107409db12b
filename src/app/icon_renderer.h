// The application icon, drawn by code so that one description gives every pixel size: a warm
// rounded tile carrying a turned record sleeve and a black disc, lit from the upper left.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>

class QBrush;
class QColor;

namespace vorla {

// Everything is drawn in a canvas of 1024 by 1024 units, origin at the bottom left and y
// growing upwards, scaled to the pixel size; shadows and side walls fall to the lower right.
class IconRenderer
{
public:
    explicit IconRenderer(int size);

    int size() const { return m_px; }
    qreal scale() const { return m_s; }

    // The icon; a null image when a bitmap could not be allocated (or the size is not
    // positive), so a partial icon is never handed out. Renders once per renderer.
    QImage render();

    static QImage image(int size) { return IconRenderer(size).render(); }
    // The window icon, drawn at the sizes window managers and task bars ask for.
    static QIcon applicationIcon();

    // The layers of a side wall offset by (dx, dy) units: one per pixel, from 2 to 64.
    static int extrusionLayers(qreal dx, qreal dy, qreal scale);
    // A rectangle with rounded corners that blend smoothly into the straight edges.
    static QPainterPath squircle(const QRectF &rect, qreal radius);

private:
    // A path as a bitmap: opaque inside, transparent outside; its alpha is the mask that
    // clips to the path, and it casts the path's shadows.
    struct Shape
    {
        QImage solid;
        QRect bounds; // in pixels, the part of the canvas the path touches
    };

    QImage newBitmap(QSize size);
    Shape shape(const QPainterPath &path);
    void fill(const QPainterPath &path, const QBrush &brush, const QTransform &frame = {});
    void stroke(const QPainterPath &path, qreal width, const QColor &colour);
    void extrude(
        const QPainterPath &path, qreal dx, qreal dy, const QColor &near, const QColor &far);
    void dropShadow(const Shape &shape, QPointF offset, qreal blur, const QColor &colour);
    void innerShadow(const Shape &shape, QPointF offset, qreal blur, const QColor &colour);
    void sheetShadows(const Shape &shape);
    QImage castShadow(const Shape &shape, bool inside, QPointF offset, qreal blur,
        const QColor &colour, QRect *area);

    void drawVorla();
    void drawTile();
    void drawSleeve();
    void drawDisc();
    void drawLabel();
    void drawHole();

    int m_px;
    qreal m_s;
    QTransform m_toPixels;
    QImage m_canvas;
    bool m_failed = false;
};

} // namespace vorla
