// Reads the text of a still image (a label, a spine, a cover, a camera frame) and picks out the
// strings that look like catalog numbers.
#pragma once

#include "scanner/text_reader.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace vorla {

struct RecognizedText {
    // Most confident first, without repeats that differ only in case or punctuation.
    QStringList lines;
    // At most 6, best first, upper case.
    QStringList catalogNumbers;

    bool operator==(const RecognizedText &) const = default;
};

namespace TextRecognizer {

// Photos are read upright (orientation tag applied) and at most this many pixels a side.
inline constexpr int kMaxImageSide = 4096;

// Throws vorla::Error when the file cannot be read as an image. Synchronous and thread-safe:
// call it from a worker.
RecognizedText recognize(const QString &path);
RecognizedText recognize(const QString &path, const TextReader &reader);
// Never fails; an image without text gives two empty lists.
RecognizedText recognize(const QImage &image);
RecognizedText recognize(const QImage &image, const TextReader &reader);

// At most 6 catalog-number candidates from text lines, best first. Pure.
QStringList catalogNumberCandidates(const QStringList &lines);

// Starts, on the first call only, a background warm-up of the text engine.
void warmUpOnce();

} // namespace TextRecognizer

} // namespace vorla
