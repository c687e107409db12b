// What the photo analyzer's reading steps share among themselves.
#pragma once

#include "scanner/photo_evidence.h"

#include <functional>

namespace vorla::PhotoAnalyzer {

// Runs both at once, `first` on the analyzer's reading threads, and returns when both ended;
// an error of `second` leaves after that. `first` must not throw.
void inParallel(const std::function<void()> &first, const std::function<void()> &second);

// Crops kept in evidence are at most this many pixels on their longer side.
inline constexpr int kCropPixels = 320;
inline constexpr float kMinimumBoxConfidence = 0.4f;

// The evidence of a barcode that belongs to no record read in the photo: a cover of its own.
inline PhotoEvidence barcodeEvidence(const QString &payload)
{
    PhotoEvidence evidence;
    evidence.kind = PhotoEvidence::Kind::cover;
    evidence.barcodes = { payload };
    return evidence;
}

} // namespace vorla::PhotoAnalyzer
