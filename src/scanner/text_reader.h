// Reading lines of text from pixels, behind a small interface so the recognizer's rules can be
// tested with scripted readings (a given confidence, a given text) that no OCR engine produces.
#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <memory>

namespace vorla {

struct TextObservation {
    QString text;
    // 0 to 1.
    double confidence = 0;
    // Where the line stands, as fractions of the image's width and height from its top-left
    // corner; empty when the reader cannot tell.
    QRectF box = QRectF();

    bool operator==(const TextObservation &) const = default;
};

class TextReader
{
public:
    virtual ~TextReader() = default;
    // Thread-safe. The lines of an image whose text runs upright, in reading order, leaving out
    // lines shorter than `minimumTextHeight` (a fraction of the image height). Failures give
    // no lines.
    virtual QList<TextObservation> read(const QImage &image, double minimumTextHeight) const = 0;
    // How many readings are worth running side by side right now.
    virtual int parallelism() const { return 3; }
};

// Tesseract's LSTM engine for English, dictionaries off, one engine per thread from a pool.
std::shared_ptr<const TextReader> tesseractTextReader();

// Tesseract's 0 to 100 line confidence on the 0 to 1 scale whose 0.5 separates readings worth
// keeping from noise (upside-down or blurred print reads as 60 to 75 there; clean print as 85+).
double confidenceFromTesseract(float confidence);

} // namespace vorla
