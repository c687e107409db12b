// Photo analysis of 12-megapixel photos: a shelf of ten spines and a table with four covers,
// both in the automatic layout. Each case runs in a fresh process (the first analysis pays for
// starting the text engines) and is analysed three times there; the process reports its times,
// what it found against the known truth, and its peak memory.
#include "scanner/photo_analyzer.h"
#include "scanner/text_recognizer.h"

#include "../tests/scanner/photo_fixtures.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>

using namespace vorla;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

const QStringList kShelfNumbers = { u"ABC 1234"_s, u"QRS 4410"_s, u"XYZ 778"_s, u"KO 55"_s,
    u"GC 2020"_s, u"HM 301"_s, u"CS 4477"_s, u"WL 912"_s, u"BT 6021"_s, u"ML 338"_s };
const QStringList kCoverNumbers = { u"ABC 1234"_s, u"QRS 4410"_s, u"GC 2020"_s, u"HM 301"_s };

QImage shelf()
{
    const QStringList names = { u"LOW HARBOUR  ANA LUA"_s, u"NORTHBOUND  THE TIDES"_s,
        u"LANTERNS  MERIDIAN"_s, u"SEASIDE  KELP ORCHESTRA"_s, u"GLASS CITY  RUNE"_s,
        u"HALF MOON  ORBIT"_s, u"COPPER SKY  DELTA"_s, u"WINTER LIGHT  FJORD"_s,
        u"BLUE TRAIN  SOLA"_s, u"MILL LANE  OKTA"_s };
    QList<test::SpineSpec> spines;
    for (qsizetype i = 0; i < names.size(); ++i)
        spines.append({ names[i] + u"  "_s + kShelfNumbers[i], i % 2 == 0, 0.8 + 0.1 * (i % 4),
            i == 2 ? std::string("4006381333931") : std::string() });
    QImage photo = test::shelfPhoto(spines, kWidth, kHeight, 3);
    test::blurAndNoise(photo, 1.0, 5, 3);
    return photo;
}

QImage table()
{
    const QList<QStringList> texts = { { u"Low Harbour"_s, u"Ana Lua"_s, kCoverNumbers[0] },
        { u"Northbound"_s, u"The Tides"_s, kCoverNumbers[1] },
        { u"Glass City"_s, u"Rune"_s, kCoverNumbers[2] },
        { u"Half Moon"_s, u"Orbit"_s, kCoverNumbers[3] } };
    QList<QImage> covers;
    for (qsizetype i = 0; i < texts.size(); ++i)
        covers.append(test::coverImage(texts[i], 1200, int(i), i == 1 ? "4006381333931" : ""));
    QImage photo = test::tablePhoto(covers,
        { QPointF(1000, 780), QPointF(2950, 760), QPointF(1050, 2250), QPointF(3000, 2230) }, 1250,
        kWidth, kHeight, 0.05, 5);
    test::blurAndNoise(photo, 1.0, 5, 5);
    return photo;
}

int found(const QList<PhotoEvidence> &evidence, const QStringList &truth)
{
    int count = 0;
    for (const QString &number : truth) {
        count += std::any_of(evidence.begin(), evidence.end(), [&](const PhotoEvidence &e) {
            return TextRecognizer::catalogNumberCandidates(e.lines).contains(number);
        });
    }
    return count;
}

// The child: three analyses of one photo.
int analyse(const QString &path, const QStringList &truth)
{
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        QList<PhotoEvidence> evidence;
        try {
            evidence = PhotoAnalyzer::analyze(path, PhotoLayout::automatic);
        } catch (const std::exception &error) {
            std::printf("%s\n", error.what());
            return 1;
        }
        const double seconds = timer.nsecsElapsed() / 1e9;
        int spines = 0;
        for (const PhotoEvidence &e : evidence)
            spines += e.kind == PhotoEvidence::Kind::spine;
        std::printf("run %d: %.2f s, %lld records (%d spines), %d of %lld catalog numbers\n",
            run + 1, seconds, qlonglong(evidence.size()), spines, found(evidence, truth),
            qlonglong(truth.size()));
    }
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--shelf") == 0)
        return analyse(QString::fromLocal8Bit(argv[2]), kShelfNumbers);
    if (argc == 3 && std::strcmp(argv[1], "--covers") == 0)
        return analyse(QString::fromLocal8Bit(argv[2]), kCoverNumbers);

    QTemporaryDir dir;
    const struct
    {
        const char *name;
        const char *option;
        QImage photo;
    } cases[] = {
        { "12-megapixel shelf of 10 spines, automatic layout", "--shelf", shelf() },
        { "12-megapixel table of 4 covers, automatic layout", "--covers", table() },
    };
    for (const auto &c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.option + 2) + u".jpg"_s);
        c.photo.save(path, "JPEG", 90);
        std::printf("%s\n", c.name);
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        child.start(
            QCoreApplication::applicationFilePath(), { QString::fromLatin1(c.option), path });
        child.waitForFinished(-1);
    }
    return 0;
}
