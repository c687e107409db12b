// Generated photos with known truth for the photo analysis tests and benchmark: shelves of
// spines with their text running either way, covers on a table at perspective angles.
#pragma once

#include "recognition_fixtures.h"

#include <opencv2/imgproc.hpp>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <array>

namespace vorla::test {

struct SpineSpec
{
    QString text; // one line along the spine, e.g. "LOW HARBOUR  ANA LUA  ABC 1234"
    bool topToBottom = true;
    double width = 1.0; // relative to the shelf's spine width
    std::string barcode = {}; // EAN-13 digits printed across the spine, if any
};

// Pleasant sleeve colours with dark or light print that reads well.
inline std::pair<QColor, QColor> spineColours(int index)
{
    static const std::array<std::pair<QColor, QColor>, 6> colours = { {
        { QColor(236, 230, 214), QColor(30, 30, 36) },
        { QColor(40, 52, 84), QColor(245, 240, 225) },
        { QColor(200, 70, 50), QColor(255, 250, 240) },
        { QColor(230, 200, 90), QColor(40, 30, 20) },
        { QColor(30, 30, 30), QColor(235, 235, 235) },
        { QColor(150, 190, 170), QColor(20, 40, 30) },
    } };
    return colours[size_t(index) % colours.size()];
}

// One spine, `length` pixels tall and `thickness` wide, its text along it.
inline QImage spineImage(const SpineSpec &spec, int length, int thickness, int index)
{
    const auto [background, ink] = spineColours(index);
    QImage along(length, thickness, QImage::Format_RGB32);
    along.fill(background);
    {
        QPainter painter(&along);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // A barcode takes the lower end of the spine; the text fits the rest.
        const int room = (spec.barcode.empty() ? length : length * 62 / 100) - thickness / 2;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        int pixels = std::max(8, thickness * 45 / 100);
        font.setPixelSize(pixels);
        while (pixels > 8 && QFontMetrics(font).horizontalAdvance(spec.text) > room - thickness / 2)
            font.setPixelSize(--pixels);
        painter.setFont(font);
        painter.setPen(ink);
        const int start = spec.topToBottom || spec.barcode.empty() ? thickness / 2 : length - room;
        painter.drawText(
            QRect(start, 0, room, thickness), Qt::AlignVCenter | Qt::AlignLeft, spec.text);
    }
    QImage spine = along.transformed(QTransform().rotate(spec.topToBottom ? 90 : -90));
    if (!spec.barcode.empty()) {
        // Two pixels a bar at the least, as a phone photo of a shelf shows them.
        const QImage code = barcodeSymbol(ZXing::BarcodeFormat::EAN13, spec.barcode, 2);
        const QImage upright = code.transformed(QTransform().rotate(90));
        const double scale = std::min(1.0, double(thickness - 4) / upright.width());
        QPainter painter(&spine);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSizeF size(upright.width() * scale, upright.height() * scale);
        painter.drawImage(
            QRectF(QPointF((thickness - size.width()) / 2, length - size.height() - 8), size),
            upright);
    }
    return spine;
}

// A shelf of spines standing side by side, filling most of a `width` by `height` photo.
inline QImage shelfPhoto(const QList<SpineSpec> &spines, int width, int height, quint32 seed = 3)
{
    QImage photo = photoBackground(width, height, seed);
    double total = 0;
    for (const SpineSpec &spec : spines)
        total += spec.width;
    const double unit = width * 0.92 / total;
    const int length = height * 88 / 100;
    double x = width * 0.04;
    QPainter painter(&photo);
    for (qsizetype i = 0; i < spines.size(); ++i) {
        const int thickness = int(unit * spines[i].width) - 3;
        painter.drawImage(
            QPointF(x, (height - length) / 2.0), spineImage(spines[i], length, thickness, int(i)));
        x += unit * spines[i].width;
    }
    painter.end();
    return photo;
}

// A square cover: a big title, then smaller lines, on a plain colour; optionally a barcode.
inline QImage coverImage(
    const QStringList &lines, int side, int index, const std::string &barcode = {})
{
    const auto [background, ink] = spineColours(index);
    QImage cover(side, side, QImage::Format_RGB32);
    cover.fill(background);
    QPainter painter(&cover);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(ink);
    int y = side / 8;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(i == 0);
        font.setPixelSize(i == 0 ? side / 9 : side / 16);
        painter.setFont(font);
        y += QFontMetrics(font).height();
        painter.drawText(side / 12, y, lines[i]);
        y += side / 30;
    }
    if (!barcode.empty()) {
        const QImage code
            = barcodeSymbol(ZXing::BarcodeFormat::EAN13, barcode, std::max(1, side / 160));
        painter.drawImage(
            QPointF(side - code.width() - side / 20, side - code.height() - side / 20), code);
    }
    return cover;
}

// Draws `item` onto `scene` so that its corners land on `corners` (top-left, top-right,
// bottom-right, bottom-left, in pixels): a cover seen at an angle.
inline void warpOnto(QImage &scene, const QImage &item, const std::array<QPointF, 4> &corners)
{
    scene = scene.convertToFormat(QImage::Format_RGB32);
    const QImage source = item.convertToFormat(QImage::Format_RGB32);
    const cv::Point2f from[4] = { { 0, 0 }, { float(source.width()), 0 },
        { float(source.width()), float(source.height()) }, { 0, float(source.height()) } };
    cv::Point2f to[4];
    for (size_t i = 0; i < 4; ++i)
        to[i] = cv::Point2f(float(corners[i].x()), float(corners[i].y()));
    const cv::Mat transform = cv::getPerspectiveTransform(from, to);
    const cv::Mat input(source.height(), source.width(), CV_8UC4,
        const_cast<uchar *>(source.constBits()), static_cast<size_t>(source.bytesPerLine()));
    cv::Mat output(scene.height(), scene.width(), CV_8UC4, scene.bits(),
        static_cast<size_t>(scene.bytesPerLine()));
    cv::warpPerspective(
        input, output, transform, output.size(), cv::INTER_LINEAR, cv::BORDER_TRANSPARENT);
}

// Covers on a table, each a square of `side` pixels around its centre, its corners pushed in
// by up to `tilt` of its side to look photographed at an angle.
inline QImage tablePhoto(const QList<QImage> &covers, const QList<QPointF> &centres, int side,
    int width, int height, double tilt, quint32 seed = 5)
{
    QImage photo(width, height, QImage::Format_RGB32);
    photo.fill(QColor(118, 84, 58));
    {
        // Wood grain.
        QPainter painter(&photo);
        QRandomGenerator random(seed);
        for (int i = 0; i < 60; ++i) {
            painter.setPen(QPen(QColor(95 + random.bounded(40), 66 + random.bounded(25), 44),
                2 + random.bounded(6)));
            const int y = random.bounded(height);
            painter.drawLine(0, y, width, y + random.bounded(-40, 40));
        }
    }
    QRandomGenerator random(seed + 1);
    for (qsizetype i = 0; i < covers.size(); ++i) {
        const QPointF c = centres[i];
        const double h = side / 2.0;
        auto jitter = [&] { return (random.generateDouble() * 2 - 1) * tilt * side; };
        const std::array<QPointF, 4> corners
            = { QPointF(c.x() - h + jitter(), c.y() - h + jitter()),
                  QPointF(c.x() + h + jitter(), c.y() - h + jitter()),
                  QPointF(c.x() + h + jitter(), c.y() + h + jitter()),
                  QPointF(c.x() - h + jitter(), c.y() + h + jitter()) };
        warpOnto(photo, covers[i].scaled(side, side), corners);
    }
    return photo;
}

} // namespace vorla::test
