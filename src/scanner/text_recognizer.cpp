#include "scanner/text_recognizer.h"

#include "models/error.h"
#include "scanner/image_file.h"
#include "services/barcode.h"

#include <QCoreApplication>
#include <QFuture>
#include <QRegularExpression>
#include <QSet>
#include <QThreadPool>
#include <QTransform>
#include <QtConcurrent>

#include <algorithm>
#include <array>
#include <mutex>

namespace vorla::TextRecognizer {

namespace {

constexpr double kMinimumTextHeight = 0.015;
constexpr double kMinimumConfidence = 0.5;
constexpr qsizetype kMaxCatalogNumbers = 6;
// The engine's layout analysis grows with the pixel count; print at least 1.5 % of the
// height stays well readable at this size.
constexpr int kReadingSide = 2400;

const QList<QRegularExpression> &patterns()
{
    static const QList<QRegularExpression> compiled = [] {
        const char *sources[] = {
            R"(\b[A-Z]{1,6}[ .\-]?[A-Z]?[ .\-]?\d{2,7}(?:[ .\-]?[A-Z0-9]{1,4})?\b)",
            R"(\b\d[A-Z]{1,2}[ .\-]?\d{3}[ .\-]?\d{3,6}\b)",
            R"(\b\d{5,12}\b)",
        };
        QList<QRegularExpression> list;
        for (const char *source : sources) {
            QRegularExpression expression(QString::fromLatin1(source),
                                          QRegularExpression::UseUnicodePropertiesOption);
            if (expression.isValid())
                list.append(expression);
        }
        return list;
    }();
    return compiled;
}

// Words that are never catalog numbers on their own; "NO" and "CATNO" keep "Cat. No. 12345"
// from yielding "NO. 12345".
const QSet<QString> &noise()
{
    static const QSet<QString> words = {
        QStringLiteral("RPM"),  QStringLiteral("LP"),    QStringLiteral("EP"),
        QStringLiteral("STEREO"), QStringLiteral("MONO"), QStringLiteral("SIDE"),
        QStringLiteral("SIDEA"), QStringLiteral("SIDEB"), QStringLiteral("TRACK"),
        QStringLiteral("VOL"),  QStringLiteral("NO"),    QStringLiteral("CATNO")};
    return words;
}

QString key(const QString &text)
{
    QString result;
    for (QChar c : text.toLower()) {
        if (c.isLetterOrNumber())
            result.append(c);
    }
    return result;
}

QString trimmedSpacesAndTabs(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QStringList dedupedIgnoringCase(const QStringList &texts)
{
    QStringList result;
    QSet<QString> seen;
    for (const QString &text : texts) {
        const QString k = key(text);
        if (seen.contains(k))
            continue;
        seen.insert(k);
        result.append(text);
    }
    return result;
}

// A match whose letters, all together or run by run, are only noise words: "LP 33", and the
// label line "STEREO 33 RPM", whose letters "STEREORPM" are no one word.
bool isNoise(const QString &match)
{
    QString letters;
    QStringList runs(QString{});
    for (QChar c : match) {
        if (c.isLetter()) {
            letters.append(c);
            runs.back().append(c);
        } else if (!runs.back().isEmpty()) {
            runs.append(QString());
        }
    }
    if (letters.isEmpty())
        return false;
    if (noise().contains(letters))
        return true;
    return std::all_of(runs.begin(), runs.end(),
                       [](const QString &run) { return run.isEmpty() || noise().contains(run); });
}

bool hasLetter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// The picture as the reader sees it in one orientation; "right" and "left" are the EXIF
// orientations 6 and 8, whose upright view is the stored image turned a quarter clockwise and
// counter-clockwise.
QImage oriented(const QImage &image, int quarterTurnsClockwise)
{
    if (quarterTurnsClockwise == 0)
        return image;
    return image.transformed(QTransform().rotate(90.0 * quarterTurnsClockwise));
}

QThreadPool &readingPool()
{
    static QThreadPool pool;
    static std::once_flag configured;
    std::call_once(configured, [] {
        pool.setMaxThreadCount(3);
        // A warm-up still running at quit must end before the engines are released.
        qAddPostRoutine([] { readingPool().waitForDone(); });
    });
    return pool;
}

} // namespace

RecognizedText recognize(const QString &path)
{
    return recognize(path, *tesseractTextReader());
}

RecognizedText recognize(const QString &path, const TextReader &reader)
{
    return recognize(loadUprightImage(path, kMaxImageSide), reader);
}

RecognizedText recognize(const QImage &image)
{
    return recognize(image, *tesseractTextReader());
}

RecognizedText recognize(const QImage &source, const TextReader &reader)
{
    RecognizedText result;
    if (source.isNull())
        return result;
    QImage image = source.convertToFormat(QImage::Format_Grayscale8);
    if (std::max(image.width(), image.height()) > kReadingSide)
        image = image.scaled(kReadingSide, kReadingSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    // Up, right, left; read side by side, merged in this order.
    const std::array<int, 3> turns = {0, 1, 3};
    std::array<QList<TextObservation>, 3> readings;
    if (reader.parallelism() >= static_cast<int>(turns.size())) {
        std::array<QFuture<void>, 3> running;
        for (size_t i = 0; i < turns.size(); ++i) {
            running[i] = QtConcurrent::run(&readingPool(), [&, i] {
                readings[i] = reader.read(oriented(image, turns[i]), kMinimumTextHeight);
            });
        }
        for (QFuture<void> &future : running)
            future.waitForFinished();
    } else {
        for (size_t i = 0; i < turns.size(); ++i)
            readings[i] = reader.read(oriented(image, turns[i]), kMinimumTextHeight);
    }

    // Texts in order of first reading, each with its best confidence.
    QStringList texts;
    QHash<QString, double> confidence;
    for (const QList<TextObservation> &observations : readings) {
        for (const TextObservation &observation : observations) {
            if (observation.confidence < kMinimumConfidence)
                continue;
            const QString text = observation.text.trimmed();
            if (text.size() < 2
                || std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }))
                continue;
            auto found = confidence.find(text);
            if (found == confidence.end()) {
                texts.append(text);
                confidence.insert(text, observation.confidence);
            } else {
                *found = std::max(*found, observation.confidence);
            }
        }
    }
    // Equal confidences keep the order of first reading, so one image always reads the same.
    std::stable_sort(texts.begin(), texts.end(), [&](const QString &a, const QString &b) {
        return confidence.value(a) > confidence.value(b);
    });
    result.lines = dedupedIgnoringCase(texts);
    result.catalogNumbers = catalogNumberCandidates(texts);
    return result;
}

QStringList catalogNumberCandidates(const QStringList &lines)
{
    QStringList raw;
    for (const QString &line : lines) {
        const QString upper = line.toUpper();
        for (const QRegularExpression &pattern : patterns()) {
            QRegularExpressionMatchIterator matches = pattern.globalMatch(upper);
            while (matches.hasNext()) {
                const QString match = trimmedSpacesAndTabs(matches.next().captured(0));
                if (isNoise(match))
                    continue;
                const bool allNumbers =
                    std::all_of(match.begin(), match.end(), [](QChar c) { return c.isNumber(); });
                if (allNumbers && Barcode::hasValidChecksum(match))
                    continue;
                raw.append(match);
            }
        }
    }

    const QStringList unique = dedupedIgnoringCase(raw);
    QStringList keys;
    for (const QString &candidate : unique)
        keys.append(key(candidate));
    QStringList survivors;
    for (qsizetype i = 0; i < unique.size(); ++i) {
        bool inside = false;
        for (qsizetype j = 0; j < unique.size() && !inside; ++j)
            inside = j != i && keys[j].size() > keys[i].size() && keys[j].contains(keys[i]);
        if (!inside)
            survivors.append(unique[i]);
    }
    std::stable_sort(survivors.begin(), survivors.end(), [](const QString &a, const QString &b) {
        const bool lettersA = hasLetter(a);
        const bool lettersB = hasLetter(b);
        if (lettersA != lettersB)
            return lettersA;
        return a.size() > b.size();
    });
    return survivors.mid(0, kMaxCatalogNumbers);
}

void warmUpOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Side by side, so the engines the three orientations of a first reading borrow are
        // started already.
        const struct { int width; int height; double minimumHeight; } blanks[] = {
            {64, 64, kMinimumTextHeight}, {300, 1200, 0}, {1200, 300, 0}};
        for (const auto &blank : blanks) {
            readingPool().start([blank, reader = tesseractTextReader()] {
                QImage image(blank.width, blank.height, QImage::Format_Grayscale8);
                image.fill(Qt::white);
                reader->read(image, blank.minimumHeight);
            });
        }
    });
}

} // namespace vorla::TextRecognizer
