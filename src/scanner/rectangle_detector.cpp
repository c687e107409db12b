#include "scanner/rectangle_detector.h"

#include "scanner/photo_geometry.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QPolygonF>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vorla {

namespace {

// Outlines are looked for on a reduced picture: a cover is hundreds of pixels there still.
constexpr int kDetectionSide = 1024;

struct Candidate
{
    std::array<cv::Point2d, 4> corners; // top-left, top-right, bottom-right, bottom-left (pixels)
    double area = 0;
    double confidence = 0;
};

double length(cv::Point2d a, cv::Point2d b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Corners in the order top-left, top-right, bottom-right, bottom-left: around the centroid,
// clockwise on screen, starting from the one nearest the top-left.
std::array<cv::Point2d, 4> ordered(const std::vector<cv::Point> &polygon)
{
    cv::Point2d centre(0, 0);
    for (const cv::Point &p : polygon)
        centre += cv::Point2d(p);
    centre *= 0.25;
    std::array<cv::Point2d, 4> corners;
    for (size_t i = 0; i < 4; ++i)
        corners[i] = cv::Point2d(polygon[i]);
    std::sort(corners.begin(), corners.end(), [&](cv::Point2d a, cv::Point2d b) {
        return std::atan2(a.y - centre.y, a.x - centre.x)
            < std::atan2(b.y - centre.y, b.x - centre.x);
    });
    const auto first = std::min_element(corners.begin(), corners.end(),
        [](cv::Point2d a, cv::Point2d b) { return a.x + a.y < b.x + b.y; });
    std::rotate(corners.begin(), first, corners.end());
    return corners;
}

bool cornersAreSquare(const std::array<cv::Point2d, 4> &c, double toleranceDegrees)
{
    for (size_t i = 0; i < 4; ++i) {
        const cv::Point2d a = c[(i + 3) % 4] - c[i];
        const cv::Point2d b = c[(i + 1) % 4] - c[i];
        const double cosine = a.dot(b) / (std::hypot(a.x, a.y) * std::hypot(b.x, b.y));
        const double degrees = std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 / std::numbers::pi;
        if (std::abs(degrees - 90.0) > toleranceDegrees)
            return false;
    }
    return true;
}

// The share of points along the outline that lie on a detected edge: what a strong outline
// has and a chance polygon in texture does not.
double edgeSupport(const cv::Mat &edges, const std::array<cv::Point2d, 4> &c)
{
    int on = 0;
    int total = 0;
    for (size_t i = 0; i < 4; ++i) {
        const cv::Point2d a = c[i];
        const cv::Point2d b = c[(i + 1) % 4];
        const int steps = std::max(1, int(length(a, b)));
        for (int s = 0; s < steps; ++s) {
            const cv::Point2d p = a + (b - a) * (double(s) / steps);
            const int x = std::clamp(int(std::lround(p.x)), 0, edges.cols - 1);
            const int y = std::clamp(int(std::lround(p.y)), 0, edges.rows - 1);
            ++total;
            if (edges.at<uchar>(y, x))
                ++on;
        }
    }
    return total ? double(on) / total : 0.0;
}

QRectF boundsOf(const std::array<cv::Point2d, 4> &c)
{
    QPolygonF polygon;
    for (const cv::Point2d &p : c)
        polygon << QPointF(p.x, p.y);
    return polygon.boundingRect();
}

// Two outlines of one cover (the inner and outer side of its edge, or its print border).
bool sameOutline(const Candidate &a, const Candidate &b, double tolerance)
{
    for (size_t i = 0; i < 4; ++i) {
        if (length(a.corners[i], b.corners[i]) > tolerance)
            return false;
    }
    return true;
}

} // namespace

QList<DetectedRectangle> OpenCVRectangleDetector::detect(
    const QImage &image, const RectangleLimits &limits) const
{
    QList<DetectedRectangle> result;
    if (image.isNull() || limits.maximumObservations <= 0)
        return result;
    QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    if (std::max(gray.width(), gray.height()) > kDetectionSide)
        gray = gray.scaled(
            kDetectionSide, kDetectionSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const cv::Mat source(gray.height(), gray.width(), CV_8UC1,
        const_cast<uchar *>(gray.constBits()), static_cast<size_t>(gray.bytesPerLine()));
    cv::Mat blurred;
    cv::GaussianBlur(source, blurred, cv::Size(5, 5), 0);
    cv::Mat edges;
    cv::Canny(blurred, edges, 40, 120);
    cv::dilate(edges, edges, cv::Mat(), cv::Point(-1, -1), 1);

    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(edges, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);

    const double smaller = std::min(gray.width(), gray.height());
    const double minimumSide = limits.minimumSize * smaller;
    std::vector<Candidate> candidates;
    for (const std::vector<cv::Point> &contour : contours) {
        if (std::abs(cv::contourArea(contour)) < minimumSide * minimumSide * 0.5)
            continue;
        std::vector<cv::Point> polygon;
        cv::approxPolyDP(contour, polygon, 0.02 * cv::arcLength(contour, true), true);
        if (polygon.size() != 4 || !cv::isContourConvex(polygon))
            continue;
        Candidate candidate;
        candidate.corners = ordered(polygon);
        const auto &c = candidate.corners;
        const double across = (length(c[0], c[1]) + length(c[3], c[2])) / 2;
        const double down = (length(c[0], c[3]) + length(c[1], c[2])) / 2;
        const double shorter = std::min(across, down);
        const double aspect = shorter / std::max(across, down);
        if (aspect < limits.minimumAspectRatio || aspect > limits.maximumAspectRatio
            || shorter < minimumSide || !cornersAreSquare(c, limits.quadratureTolerance))
            continue;
        candidate.confidence = edgeSupport(edges, c);
        if (candidate.confidence < limits.minimumConfidence)
            continue;
        candidate.area = across * down;
        candidates.push_back(candidate);
    }

    // Duplicates first, so the count limit keeps distinct outlines.
    std::stable_sort(candidates.begin(), candidates.end(),
        [](const Candidate &a, const Candidate &b) { return a.confidence > b.confidence; });
    std::vector<Candidate> distinct;
    for (const Candidate &candidate : candidates) {
        const bool repeated = std::any_of(distinct.begin(), distinct.end(),
            [&](const Candidate &kept) { return sameOutline(kept, candidate, 0.04 * smaller); });
        if (!repeated)
            distinct.push_back(candidate);
    }
    std::stable_sort(distinct.begin(), distinct.end(),
        [](const Candidate &a, const Candidate &b) { return a.area > b.area; });
    if (distinct.size() > size_t(limits.maximumObservations))
        distinct.resize(size_t(limits.maximumObservations));

    const QSize size = gray.size();
    for (const Candidate &candidate : distinct) {
        const auto &c = candidate.corners;
        auto normalized
            = [&](cv::Point2d p) { return PhotoGeometry::fromPixels(QPointF(p.x, p.y), size); };
        DetectedRectangle rectangle;
        rectangle.topLeft = normalized(c[0]);
        rectangle.topRight = normalized(c[1]);
        rectangle.bottomRight = normalized(c[2]);
        rectangle.bottomLeft = normalized(c[3]);
        const QRectF pixels = boundsOf(c);
        rectangle.boundingBox = PhotoGeometry::fromTopLeftUnit(
            QRectF(pixels.x() / size.width(), pixels.y() / size.height(),
                pixels.width() / size.width(), pixels.height() / size.height()));
        rectangle.confidence = candidate.confidence;
        result.append(rectangle);
    }
    return result;
}

std::optional<QImage> perspectiveCorrected(const QImage &photo, const DetectedRectangle &region)
{
    if (photo.isNull())
        return std::nullopt;
    const QSize size = photo.size();
    auto pixels = [&](QPointF p) {
        const QPointF q = PhotoGeometry::toPixels(p, size);
        return cv::Point2f(float(q.x()), float(q.y()));
    };
    const cv::Point2f from[4] = { pixels(region.topLeft), pixels(region.topRight),
        pixels(region.bottomRight), pixels(region.bottomLeft) };
    const double width = std::max(cv::norm(from[1] - from[0]), cv::norm(from[2] - from[3]));
    const double height = std::max(cv::norm(from[3] - from[0]), cv::norm(from[2] - from[1]));
    const int w = int(std::lround(width));
    const int h = int(std::lround(height));
    if (w < 2 || h < 2 || qint64(w) * h > qint64(size.width()) * size.height() * 4)
        return std::nullopt;
    const cv::Point2f to[4]
        = { { 0, 0 }, { float(w), 0 }, { float(w), float(h) }, { 0, float(h) } };
    const cv::Mat transform = cv::getPerspectiveTransform(from, to);

    const QImage source = photo.convertToFormat(QImage::Format_RGB32);
    const cv::Mat input(source.height(), source.width(), CV_8UC4,
        const_cast<uchar *>(source.constBits()), static_cast<size_t>(source.bytesPerLine()));
    QImage corrected(w, h, QImage::Format_RGB32);
    if (corrected.isNull())
        return std::nullopt;
    cv::Mat output(h, w, CV_8UC4, corrected.bits(), static_cast<size_t>(corrected.bytesPerLine()));
    cv::warpPerspective(
        input, output, transform, output.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
    return corrected;
}

} // namespace vorla
