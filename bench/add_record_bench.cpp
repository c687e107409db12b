// The add-record sheet from a barcode confirmed by the camera to its candidates on screen,
// over a library of 100,000 records: the lookup answers at once (a scripted facade), so the
// figure is the sheet's own time. Plain timing, printed per run, with the lookups counted.
#include "bench_library.h"

#include "../tests/views/add_record_fakes.h"
#include "models/model_context.h"
#include "models/record.h"
#include "views/add_record_duplicates.h"
#include "views/add_record_sheet.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

using namespace vorla;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);

    ModelContext context;
    std::mt19937 random(7);
    std::vector<std::unique_ptr<Record>> records;
    for (int n = 0; n < bench::kLibrarySize; ++n)
        records.push_back(bench::makeRecord(random, n));
    context.insert(std::move(records));

    auto services = std::make_shared<test::FakeServices>();
    // A full page of Discogs hits, some of them owned.
    services->onLookup = [](const QString &) {
        QList<ReleaseCandidate> page;
        for (int i = 0; i < 50; ++i) {
            ReleaseCandidate c = test::candidate(QString::number(1000000 + i * 997), QStringLiteral("Release %1").arg(i));
            c.year = 1970 + i % 30;
            c.format = QStringLiteral("Vinyl, LP, Album");
            c.country = QStringLiteral("US");
            c.label = QStringLiteral("Label %1").arg(i);
            c.catalogNumber = QStringLiteral("CAT-%1").arg(i);
            page.append(c);
        }
        return page;
    };

    {
        QElapsedTimer owned;
        owned.start();
        const OwnedReleases releases(context.records(), services->onLookup(QString()));
        std::printf("owned releases gathered: %.1f ms\n", owned.nsecsElapsed() / 1e6);
    }
    std::printf("barcode confirmed by the camera -> 50 candidates shown, 100,000 records\n");
    std::vector<double> times;
    for (int run = 0; run < 10; ++run) {
        test::FakeCamera camera;
        AddRecordSheet::Options options;
        options.services = services;
        options.scanner = camera.makeScanner({ { QStringLiteral("cam"), QStringLiteral("Webcam") } });
        options.environment = QHash<QString, QString>();
        options.chime = [] {};
        AddRecordSheet sheet(AddMode::scan, &context, std::move(options));
        sheet.show();
        QCoreApplication::processEvents();
        const qsizetype before = services->calls(services->lookups).size();

        camera.frame(*sheet.scanner(), QStringLiteral("4006381333931"));
        QElapsedTimer timer;
        double answered = 0, listed = 0;
        QObject::connect(sheet.state(), &AddRecordState::statusChanged, [&] {
            if (answered == 0)
                answered = timer.nsecsElapsed() / 1e6;
        });
        QObject::connect(sheet.state(), &AddRecordState::phaseChanged, [&] { listed = timer.nsecsElapsed() / 1e6; });
        timer.start();
        // The second frame confirms the code; from here to the painted list.
        camera.frame(*sheet.scanner(), QStringLiteral("4006381333931"));
        while (sheet.state()->phase() != AddRecordState::Phase::results)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        sheet.repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        const qsizetype lookups = services->calls(services->lookups).size() - before;
        times.push_back(ms);
        std::printf("run %d: %.1f ms (answer in %.1f, list built by %.1f), %lld lookup(s), %d rows\n", run + 1, ms, answered, listed,
            static_cast<long long>(lookups), sheet.findChild<QListWidget *>()->count());
    }
    std::sort(times.begin(), times.end());
    std::printf("median %.1f ms, fastest %.1f ms\n", (times[4] + times[5]) / 2, times.front());
    return 0;
}
