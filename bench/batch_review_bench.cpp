// The batch review list with 500 items in every state: building the rows, each filter change
// (rows shown and hidden, counts and tally recomputed, the list laid out and painted), and
// scrolling from top to bottom. Plain timing, printed per run.
#include "app/batch_matcher.h"
#include "views/batch_import_sheet.h"
#include "views/batch_review_pane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vorla;

namespace {

QList<BatchItem> items(int count)
{
    const BatchItem::Status statuses[] = { BatchItem::Status::matched(),
        BatchItem::Status::needsReview(), BatchItem::Status::notFound(),
        BatchItem::Status::failed(QStringLiteral("The network is offline.")),
        BatchItem::Status::matched() };
    QList<BatchItem> list;
    for (int i = 0; i < count; ++i) {
        BatchItem item;
        item.line = QStringLiteral("Artist %1 - Album %1").arg(i);
        item.query = ReleaseQuery::parse(item.line);
        item.status = statuses[i % 5];
        for (int c = 0; c < (i % 3) + (item.status.kind == BatchItem::Status::Kind::notFound ? 0 : 1); ++c) {
            ReleaseCandidate candidate;
            candidate.sourceID = QString::number(i * 10 + c);
            candidate.artist = QStringLiteral("Artist %1").arg(i);
            candidate.title = QStringLiteral("Album %1").arg(i);
            candidate.year = 1960 + i % 40;
            candidate.country = QStringLiteral("UK");
            candidate.format = QStringLiteral("Vinyl, LP, Album");
            candidate.label = QStringLiteral("Label %1").arg(i % 17);
            candidate.catalogNumber = QStringLiteral("CAT %1").arg(i * 10 + c);
            item.candidates.append(candidate);
        }
        if (!item.candidates.isEmpty())
            item.chosenID = item.candidates.first().id();
        if (i % 10 == 4)
            item.addedRecordID = QUuid::createUuid();
        list.append(item);
    }
    return list;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    QApplication app(argc, argv);

    std::printf("batch review list, 500 items\n");
    for (int run = 0; run < 3; ++run) {
        BatchMatcher matcher(BatchMatcher::Backend {});
        QElapsedTimer timer;
        timer.start();
        matcher.setItems(items(500));
        BatchImportSheet sheet(&matcher, false, BatchImportSheet::Options {});
        sheet.show();
        QApplication::processEvents();
        const double build = timer.nsecsElapsed() / 1e6;

        BatchReviewPane *review = sheet.reviewPane();
        std::vector<double> filters;
        for (int round = 0; round < 4; ++round) {
            for (const auto filter : { BatchReview::Filter::added, BatchReview::Filter::review,
                     BatchReview::Filter::notFound, BatchReview::Filter::matched,
                     BatchReview::Filter::all }) {
                timer.restart();
                review->setFilter(filter);
                // The delayed relayout of the list, then one painted frame.
                QApplication::processEvents();
                sheet.repaint();
                filters.push_back(timer.nsecsElapsed() / 1e6);
            }
        }

        auto *list = review->findChild<QAbstractScrollArea *>(QStringLiteral("list"));
        QScrollBar *bar = list->verticalScrollBar();
        std::vector<double> scrolls;
        for (int value = 0; value <= bar->maximum(); value += 120) {
            timer.restart();
            bar->setValue(value);
            sheet.repaint();
            scrolls.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("run %d: open %.1f ms; filter change median %.2f ms, worst %.2f ms; "
                    "scroll step median %.2f ms, worst %.2f ms (%zu steps)\n",
            run + 1, build, median(filters), *std::max_element(filters.begin(), filters.end()),
            median(scrolls), *std::max_element(scrolls.begin(), scrolls.end()), scrolls.size());
    }
    return 0;
}
