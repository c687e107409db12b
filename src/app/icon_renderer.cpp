#include "app/icon_renderer.h"

#include <QBrush>
#include <QColor>
#include <QColorSpace>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <vector>

namespace vorla {

namespace {

constexpr qreal kCanvas = 1024;
constexpr QPointF kDiscCentre(597, 522);

QColor rgba(qreal r, qreal g, qreal b, qreal a)
{
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}

QColor white(qreal g, qreal a)
{
    return rgba(g, g, g, a);
}

// Gradients are extended beyond both ends: the colour of the nearer end fills the rest.
QLinearGradient linear(QPointF from, QPointF to, const QGradientStops &stops)
{
    QLinearGradient gradient(from, to);
    gradient.setStops(stops);
    gradient.setSpread(QGradient::PadSpread);
    return gradient;
}

QRadialGradient radial(QPointF centre, qreal radius, const QGradientStops &stops)
{
    QRadialGradient gradient(centre, radius);
    gradient.setStops(stops);
    gradient.setSpread(QGradient::PadSpread);
    return gradient;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

void prepare(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

// One pass of a box blur along the rows or the columns of a plane; values beyond its edges
// count as zero, as the transparent surroundings of a bitmap do.
void boxPass(const std::vector<float> &in, std::vector<float> &out, int width, int height,
    int radius, bool alongRows)
{
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const qsizetype step = alongRows ? 1 : width;
    const double share = 1.0 / (2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        const qsizetype first = alongRows ? qsizetype(line) * width : line;
        const auto at = [&](int i) { return double(in[size_t(first + i * step)]); };
        double sum = 0;
        for (int i = 0; i <= radius && i < length; ++i)
            sum += at(i);
        for (int i = 0; i < length; ++i) {
            out[size_t(first + i * step)] = float(sum * share);
            if (i + radius + 1 < length)
                sum += at(i + radius + 1);
            if (i - radius >= 0)
                sum -= at(i - radius);
        }
    }
}

// A Gaussian blur of standard deviation `sigma` pixels, as three box blurs.
void blur(std::vector<float> &plane, int width, int height, qreal sigma)
{
    if (sigma < 0.3)
        return;
    constexpr int boxes = 3;
    const qreal variance = 12 * sigma * sigma;
    int lower = int(std::floor(std::sqrt(variance / boxes + 1)));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const int lowerCount = int(std::lround(
        (variance - boxes * lower * lower - 4 * boxes * lower - 3 * boxes) / (-4.0 * lower - 4)));
    std::vector<float> scratch(plane.size());
    for (int i = 0; i < boxes; ++i) {
        const int radius = ((i < lowerCount ? lower : upper) - 1) / 2;
        if (radius <= 0)
            continue;
        boxPass(plane, scratch, width, height, radius, true);
        boxPass(scratch, plane, width, height, radius, false);
    }
}

// The plane's value at a point between pixels, zero outside.
float sample(const std::vector<float> &plane, int width, int height, qreal x, qreal y)
{
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const float fx = float(x - x0);
    const float fy = float(y - y0);
    const auto at = [&](int px, int py) {
        return px < 0 || py < 0 || px >= width || py >= height
            ? 0.0f
            : plane[size_t(py) * size_t(width) + size_t(px)];
    };
    const float top = at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx;
    const float bottom = at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

} // namespace

IconRenderer::IconRenderer(int size)
    : m_px(size)
    , m_s(size / kCanvas)
    // Canvas units, y up, to pixels, y down.
    , m_toPixels(m_s, 0, 0, -m_s, 0, size)
{ }

int IconRenderer::extrusionLayers(qreal dx, qreal dy, qreal scale)
{
    return std::clamp(int(std::ceil(std::hypot(dx, dy) * scale)), 2, 64);
}

QPainterPath IconRenderer::squircle(const QRectF &rect, qreal radius)
{
    const qreal minX = rect.left(), maxX = rect.right();
    const qreal minY = rect.top(), maxY = rect.bottom();
    const qreal k = 1.28 * radius;
    const qreal c = 0.3 * k;
    QPainterPath path;
    path.moveTo(minX + k, minY);
    path.lineTo(maxX - k, minY);
    path.cubicTo(maxX - c, minY, maxX, minY + c, maxX, minY + k);
    path.lineTo(maxX, maxY - k);
    path.cubicTo(maxX, maxY - c, maxX - c, maxY, maxX - k, maxY);
    path.lineTo(minX + k, maxY);
    path.cubicTo(minX + c, maxY, minX, maxY - c, minX, maxY - k);
    path.lineTo(minX, minY + k);
    path.cubicTo(minX, minY + c, minX + c, minY, minX + k, minY);
    path.closeSubpath();
    return path;
}

QIcon IconRenderer::applicationIcon()
{
    // Drawn at start on the GUI thread, so only up to 128 pixels (about 10 ms; 256 would triple
    // it); larger views of an installed Vorla take the theme's icon.
    QIcon icon;
    for (const int size : { 16, 22, 24, 32, 48, 64, 128 }) {
        const QImage drawn = image(size);
        if (!drawn.isNull())
            icon.addPixmap(QPixmap::fromImage(drawn));
    }
    return icon;
}

QImage IconRenderer::render()
{
    m_failed = false;
    m_canvas = newBitmap(QSize(m_px, m_px));
    try {
        m_canvas.setColorSpace(QColorSpace::SRgb);
        drawVorla();
    } catch (const std::bad_alloc &) {
        m_failed = true;
    }
    QImage drawn = m_failed ? QImage() : m_canvas;
    m_canvas = QImage();
    return drawn;
}

QImage IconRenderer::newBitmap(QSize size)
{
    if (m_failed || size.isEmpty()) {
        m_failed = true;
        return {};
    }
    QImage bitmap(size, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull()) {
        m_failed = true;
        return {};
    }
    bitmap.fill(Qt::transparent);
    return bitmap;
}

IconRenderer::Shape IconRenderer::shape(const QPainterPath &path)
{
    Shape made;
    made.solid = newBitmap(QSize(m_px, m_px));
    if (m_failed)
        return made;
    QPainter painter(&made.solid);
    prepare(painter);
    painter.setTransform(m_toPixels);
    painter.fillPath(path, Qt::black);
    made.bounds = m_toPixels.mapRect(path.boundingRect()).toAlignedRect().adjusted(-1, -1, 1, 1)
        & made.solid.rect();
    return made;
}

// Filling a path with antialiasing gives the same edge as clipping to its mask and filling
// the canvas, so every "clipped to the shape, draw this" below is a fill of the shape's path.
void IconRenderer::fill(const QPainterPath &path, const QBrush &brush, const QTransform &frame)
{
    if (m_failed)
        return;
    QPainter painter(&m_canvas);
    prepare(painter);
    painter.setTransform(frame * m_toPixels);
    painter.fillPath(path, brush);
}

void IconRenderer::stroke(const QPainterPath &path, qreal width, const QColor &colour)
{
    if (m_failed)
        return;
    QPainter painter(&m_canvas);
    prepare(painter);
    painter.setTransform(m_toPixels);
    QPen pen(colour, width);
    pen.setCosmetic(false);
    painter.strokePath(path, pen);
}

// The side wall: copies of the shape from the offset back to the face, farthest and darkest
// first, each nearer one covering the one behind.
void IconRenderer::extrude(
    const QPainterPath &path, qreal dx, qreal dy, const QColor &near, const QColor &far)
{
    const int layers = extrusionLayers(dx, dy, m_s);
    const QLinearGradient wall = linear({ 0, kCanvas }, { 0, 0 }, { { 0, near }, { 1, far } });
    for (int i = layers; i >= 1; --i) {
        const qreal t = qreal(i) / layers;
        const QTransform moved = QTransform::fromTranslate(dx * t, dy * t);
        fill(path, wall, moved);
        fill(path, rgba(0, 0, 0, 0.18 * t), moved);
    }
}

// The shadow a shape casts outwards (a drop shadow) or, from everything around it, onto its
// own inside (an inner shadow): blurred, moved by `offset` units and painted in `colour`.
// Only the part of the canvas it can reach is worked on; that part is returned in `area`.
QImage IconRenderer::castShadow(const Shape &shape, bool inside, QPointF offset, qreal blurUnits,
    const QColor &colour, QRect *area)
{
    if (m_failed)
        return {};
    // Shadow blurs are about twice the standard deviation of the Gaussian they stand for.
    const qreal sigma = blurUnits * m_s / 2;
    const qreal dx = offset.x() * m_s;
    const qreal dy = -offset.y() * m_s;
    const int margin = int(std::ceil(3 * sigma + std::hypot(dx, dy))) + 2;
    *area = shape.bounds.adjusted(-margin, -margin, margin, margin) & shape.solid.rect();
    QImage shadow = newBitmap(area->size());
    if (m_failed)
        return {};

    const int width = area->width();
    const int height = area->height();
    std::vector<float> plane(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(shape.solid.constScanLine(area->y() + y));
        for (int x = 0; x < width; ++x) {
            const float coverage = qAlpha(row[area->x() + x]) / 255.0f;
            plane[size_t(y) * size_t(width) + size_t(x)] = inside ? 1 - coverage : coverage;
        }
    }
    blur(plane, width, height, sigma);

    const float red = colour.redF(), green = colour.greenF(), blue = colour.blueF();
    const float alpha = colour.alphaF();
    for (int y = 0; y < height; ++y) {
        auto *row = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const float a = alpha * sample(plane, width, height, x - dx, y - dy);
            row[x] = qRgba(qRound(red * a * 255), qRound(green * a * 255), qRound(blue * a * 255),
                qRound(a * 255));
        }
    }
    return shadow;
}

void IconRenderer::dropShadow(
    const Shape &shape, QPointF offset, qreal blurUnits, const QColor &colour)
{
    QRect area;
    const QImage shadow = castShadow(shape, false, offset, blurUnits, colour, &area);
    if (m_failed)
        return;
    QPainter painter(&m_canvas);
    painter.drawImage(area.topLeft(), shadow);
}

void IconRenderer::innerShadow(
    const Shape &shape, QPointF offset, qreal blurUnits, const QColor &colour)
{
    QRect area;
    QImage shadow = castShadow(shape, true, offset, blurUnits, colour, &area);
    if (m_failed)
        return;
    {
        QPainter clip(&shadow);
        clip.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        clip.drawImage(QPoint(0, 0), shape.solid, area);
    }
    QPainter painter(&m_canvas);
    painter.drawImage(area.topLeft(), shadow);
}

// Light from the upper left on the top edge, shade on the bottom edge and a faint rim: the
// sleeve and the disc look like raised sheets.
void IconRenderer::sheetShadows(const Shape &shape)
{
    innerShadow(shape, { 2.1, -6 }, 7.2, white(1, 0.6));
    innerShadow(shape, { -2.1, 6 }, 8.4, rgba(0, 0, 0, 0.35));
    innerShadow(shape, { 0, 0 }, 3.6, rgba(0, 0, 0, 0.1225));
}

void IconRenderer::drawVorla()
{
    drawTile();
    drawSleeve();
    drawDisc();
    drawLabel();
    drawHole();
}

void IconRenderer::drawTile()
{
    const QColor topEdge = rgba(0.70, 0.16, 0.26, 1);
    const QColor bottomEdge = rgba(0.36, 0.06, 0.12, 1);
    const QPainterPath body = squircle(QRectF(100, 112, 824, 812), 185);

    const QPainterPath wall = body.translated(0, -22);
    dropShadow(shape(wall), { 0, -12 }, 26, rgba(0, 0, 0, 0.38));
    fill(wall, bottomEdge);
    fill(wall, linear({ 0, 112 }, { 0, 90 }, { { 0, topEdge }, { 1, bottomEdge } }));

    fill(body,
        linear({ 260, 924 }, { 804, 112 },
            { { 0, rgba(0.99, 0.62, 0.30, 1) }, { 0.5, rgba(0.95, 0.42, 0.30, 1) },
                { 1, rgba(0.82, 0.20, 0.34, 1) } }));
    fill(body, radial({ 300, 860 }, 640, { { 0, white(1, 0.2) }, { 1, white(1, 0) } }));

    const Shape tile = shape(body);
    innerShadow(tile, { 0, -5 }, 4, white(1, 0.5));
    innerShadow(tile, { 0, 6 }, 8, rgba(0, 0, 0, 0.28));
    innerShadow(tile, { 0, 0 }, 30, rgba(0, 0, 0, 0.18));
}

void IconRenderer::drawSleeve()
{
    // Turned 8 degrees anticlockwise about its centre.
    const QTransform frame = QTransform::fromTranslate(417, 492).rotateRadians(0.13962634015954636);
    QPainterPath local;
    local.addRoundedRect(QRectF(-235, -235, 470, 470), 22, 22);
    const QPainterPath sleeve = frame.map(local);

    const Shape shaped = shape(sleeve);
    dropShadow(shaped, { 6, -16 }, 26, rgba(0, 0, 0, 0.35));
    extrude(sleeve, 3.5, -10, white(0.7, 1), white(0.55, 1));
    fill(sleeve, linear({ 0, 727 }, { 0, 257 }, { { 0, white(0.99, 1) }, { 1, white(0.84, 1) } }));
    sheetShadows(shaped);
    // The sleeve darkens towards its right edge, under the disc.
    fill(local,
        linear({ 120, 0 }, { 235, 0 }, { { 0, rgba(0, 0, 0, 0) }, { 1, rgba(0, 0, 0, 0.18) } }),
        frame);
}

void IconRenderer::drawDisc()
{
    const QPainterPath disc = circle(kDiscCentre, 250);
    const Shape shaped = shape(disc);
    dropShadow(shaped, { 7.2, -19.2 }, 30, rgba(0, 0, 0, 0.55));
    extrude(disc, 4.2, -12, white(0.02, 1), white(0.02, 1));
    fill(disc, linear({ 347, 772 }, { 847, 272 }, { { 0, white(0.2, 1) }, { 1, white(0.04, 1) } }));
    sheetShadows(shaped);

    // Grooves and reflections stay within the disc, so they need no clip of their own.
    for (int k = 0; k <= 8; ++k) {
        const qreal radius = 110 + 15 * k;
        stroke(circle(kDiscCentre, radius), 3, rgba(1, 1, 1, 0.08));
        stroke(circle(kDiscCentre, radius + 3), 2, rgba(0, 0, 0, 0.5));
    }
    // Two reflections facing each other, upper left and lower right.
    const QRadialGradient sheen = radial(kDiscCentre, 250,
        { { 0, rgba(1, 1, 1, 0) }, { 0.5, rgba(1, 1, 1, 0.22) }, { 1, rgba(1, 1, 1, 0.05) } });
    for (const qreal angle : { 0.7 * std::numbers::pi, 1.7 * std::numbers::pi }) {
        QPainterPath wedge;
        wedge.moveTo(kDiscCentre);
        // arcTo counts degrees clockwise in these y-up units.
        wedge.arcTo(QRectF(kDiscCentre - QPointF(250, 250), QSizeF(500, 500)),
            -qRadiansToDegrees(angle - 0.22), -qRadiansToDegrees(0.44));
        wedge.closeSubpath();
        fill(wedge, sheen);
    }
}

void IconRenderer::drawLabel()
{
    const QPainterPath label = circle(kDiscCentre, 85);
    const Shape shaped = shape(label);
    dropShadow(shaped, { 2, -4 }, 6, rgba(0, 0, 0, 0.5));
    fill(label,
        linear({ 0, 607 }, { 0, 437 },
            { { 0, rgba(1.0, 0.8, 0.34, 1) }, { 1, rgba(0.96, 0.48, 0.18, 1) } }));
    innerShadow(shaped, { 1.75, -5 }, 6, white(1, 0.5));
    innerShadow(shaped, { -1.75, 5 }, 7, rgba(0, 0, 0, 0.3));
    innerShadow(shaped, { 0, 0 }, 3, rgba(0, 0, 0, 0.105));
    stroke(circle(kDiscCentre, 62), 2, rgba(0.6, 0.25, 0.05, 0.25));
}

void IconRenderer::drawHole()
{
    const QPainterPath hole = circle(kDiscCentre, 11);
    fill(hole, white(0.06, 1));
    innerShadow(shape(hole), { 0, -3 }, 3, rgba(0, 0, 0, 0.9));
}

} // namespace vorla
