// Generated pictures for the recognition tests: barcodes drawn by ZXing's writer on photo-like
// backgrounds, labels and spines drawn with QPainter, and camera frames made from images.
#pragma once

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <opencv2/imgproc.hpp>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QString>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <cstring>
#include <string>

namespace vorla::test {

// A barcode symbol on a white sticker with a quiet zone of 12 modules, `module` pixels a bar,
// its bars 0.7 times as tall as the symbol is wide, as printed on sleeves.
inline QImage barcodeSymbol(ZXing::BarcodeFormat format, const std::string &contents, int module = 3)
{
    const ZXing::BitMatrix bits = ZXing::MultiFormatWriter(format).setMargin(0).encode(contents, 0, 0);
    const int height = bits.width() * module * 7 / 10;
    const int quiet = 12 * module;
    QImage image(bits.width() * module + 2 * quiet, height + 2 * module * 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < bits.width(); ++x) {
        if (!bits.get(x, 0))
            continue;
        for (int y = 0; y < height; ++y)
            for (int m = 0; m < module; ++m)
                image.setPixel(quiet + x * module + m, module * 4 + y, qRgb(20, 20, 25));
    }
    return image;
}

// Something like a photo of a room: a soft gradient with a few blurry blobs.
inline QImage photoBackground(int width, int height, quint32 seed = 7)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(120, 96, 80));
    gradient.setColorAt(1, QColor(60, 70, 90));
    painter.fillRect(image.rect(), gradient);
    QRandomGenerator random(seed);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor(random.bounded(256), random.bounded(256), random.bounded(256), 120));
        const int w = width / 6 + random.bounded(width / 4);
        const int h = height / 6 + random.bounded(height / 4);
        painter.drawEllipse(random.bounded(width), random.bounded(height), w, h);
    }
    return image;
}

// Draws `item` centred at `center`, turned by `degrees` and scaled.
inline void place(QImage &scene, const QImage &item, QPointF center, double degrees, double scale = 1.0)
{
    QPainter painter(&scene);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(center);
    painter.rotate(degrees);
    painter.scale(scale, scale);
    painter.drawImage(QPointF(-item.width() / 2.0, -item.height() / 2.0), item);
}

// Camera-like softness and sensor noise.
inline void blurAndNoise(QImage &image, double sigma, int noise, quint32 seed = 11)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    cv::Mat mat(image.height(), image.width(), CV_8UC4, image.bits(), static_cast<size_t>(image.bytesPerLine()));
    if (sigma > 0)
        cv::GaussianBlur(mat, mat, cv::Size(0, 0), sigma);
    if (noise > 0) {
        QRandomGenerator random(seed);
        for (int y = 0; y < image.height(); ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int n = random.bounded(2 * noise + 1) - noise;
                auto clamp = [n](int v) { return std::clamp(v + n, 0, 255); };
                row[x] = qRgb(clamp(qRed(row[x])), clamp(qGreen(row[x])), clamp(qBlue(row[x])));
            }
        }
    }
}

// Dark lines of text on a pale label, one line per entry.
inline QImage label(const QStringList &lines, int pixelSize = 40, QSize size = QSize(760, 300))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(238, 232, 214));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(QColor(25, 25, 30));
    int y = pixelSize + pixelSize / 2;
    for (const QString &line : lines) {
        painter.drawText(pixelSize / 2, y, line);
        y += pixelSize * 3 / 2;
    }
    return image;
}

inline QImage rotated(const QImage &image, int degrees)
{
    return image.transformed(QTransform().rotate(degrees));
}

// A camera frame holding the image, as a BGRA frame the way many webcams deliver it.
inline QVideoFrame videoFrame(const QImage &image)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    QVideoFrame frame(QVideoFrameFormat(source.size(), QVideoFrameFormat::Format_BGRA8888));
    frame.map(QVideoFrame::WriteOnly);
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(frame.bits(0) + static_cast<qsizetype>(y) * frame.bytesPerLine(0), source.constScanLine(y),
                    static_cast<size_t>(source.width()) * 4);
    frame.unmap();
    return frame;
}

} // namespace vorla::test
