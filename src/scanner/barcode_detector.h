// Finding barcodes in pixels, behind a small interface so the scanner's rules can be tested
// with scripted detections that no real decoder would produce.
#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

namespace vorla {

enum class BarcodeSymbology { ean13, ean8, upce, code128, code39, interleaved2of5, itf14 };

struct DetectedBarcode {
    QString payload;
    // 0 to 1; the decoder either reads a code or does not, so real detections report 1.
    double confidence = 1.0;
    // What the decoder read, having verified the symbol's own check digit; none when the
    // detector cannot tell.
    std::optional<BarcodeSymbology> symbology = std::nullopt;
    // Where the symbol stands, as fractions of the image's width and height from its top-left
    // corner; empty when the detector cannot tell.
    QRectF box = QRectF();

    bool operator==(const DetectedBarcode &) const = default;
};

class BarcodeDetector
{
public:
    virtual ~BarcodeDetector() = default;
    // Thread-safe. The payloads in reading order, normalised as the rest of the system expects
    // (a UPC-A symbol in its 13-digit EAN-13 form, UPC-E as its 8 digits).
    virtual QList<DetectedBarcode> detect(const QImage &image,
                                          const QList<BarcodeSymbology> &symbologies) const = 0;
};

class ZXingBarcodeDetector : public BarcodeDetector
{
public:
    struct Options {
        // Longest side the image is reduced to before decoding.
        int maxSide = 2048;
        // Also look for codes tilted between the decoder's own tolerance and 45 degrees.
        bool findTilted = true;
        // Spend more time per scan line; worth it for still photos, too slow for live frames.
        bool tryHarder = true;
        // Codes looked for in each turn of the picture.
        int maxCodes = 4;
    };

    ZXingBarcodeDetector();
    explicit ZXingBarcodeDetector(Options options);

    QList<DetectedBarcode> detect(const QImage &image,
                                  const QList<BarcodeSymbology> &symbologies) const override;

    // ZXing reports UPC-A with 12 digits; everything downstream expects the EAN-13 form.
    static QString normalizedPayload(bool isUpcA, const QString &text);

private:
    Options m_options;
};

} // namespace vorla
