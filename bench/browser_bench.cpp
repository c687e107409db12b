// The collection browser in a real main window on the offscreen platform, over a library of
// 100,000 records that each have a 400-pixel cover thumbnail (the size the app stores):
// typing into the search field, recounting the sidebar, switching the sort key, scrolling
// the grid (with the thumbnails decoded counted against the tiles that came into view),
// deleting a large selection, and the window's resident memory.
//
// Each timed step ends with the page repainted, so a figure is what the user waits for.
// Covers are decoded on the thread pool meanwhile and painted when they arrive; the grid
// scroll also times how long until every cover of a page is shown.
#include "bench_library.h"

#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/track.h"
#include "services/image_cache.h"
#include "views/collection_browser.h"
#include "views/browsing_state.h"
#include "views/collection_statistics_view.h"
#include "views/collection_grid_view.h"
#include "views/collection_model.h"
#include "views/collection_operations.h"
#include "views/main_window.h"
#include "views/search_empty_view.h"
#include "views/sidebar_view.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstring>
#include <memory>

using namespace vorla;
using namespace vorla::bench;

namespace {

constexpr int kThumbnailSide = 400;
constexpr int kThumbnailVariants = 24;

QByteArray jpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

// A plain sleeve with a centre label: small on disk, a full 400 by 400 pixels decoded.
QByteArray thumbnailJPEG(int variant)
{
    QImage image(kThumbnailSide, kThumbnailSide, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(variant * 360 / kThumbnailVariants, 160, 200));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv((variant * 360 / kThumbnailVariants + 180) % 360, 120, 230));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(200, 200), 70, 70);
    painter.end();
    return jpeg(image);
}

// Writes the library: the records through the context, then a thumbnail for each straight
// into the image table (encoding 100,000 JPEGs through Record would take minutes).
int writeLibrary(const QString &path)
{
    {
        ModelContext context(path);
        context.insert(makeRecords(kLibrarySize, 0));
        context.save();
    }
    QList<QByteArray> thumbnails;
    for (int i = 0; i < kThumbnailVariants; ++i)
        thumbnails.append(thumbnailJPEG(i));
    SQLite::Database db(path.toStdString(), SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(db);
    db.exec("UPDATE records SET thumbnailData = 1");
    SQLite::Statement ids(db, "SELECT id FROM records");
    SQLite::Statement insert(db, "INSERT INTO record_images (recordID, kind, bytes) VALUES (?, 1, ?)");
    int n = 0;
    while (ids.executeStep()) {
        const QByteArray &bytes = thumbnails[n++ % kThumbnailVariants];
        insert.bind(1, ids.getColumn(0).getString());
        insert.bind(2, bytes.constData(), int(bytes.size()));
        insert.exec();
        insert.reset();
    }
    transaction.commit();
    return n == kLibrarySize ? 0 : 1;
}

// Written by a child process, so this one holds only what the window itself loads.
const QString &libraryPath()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("Vorla.store"));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--write-library"), file});
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            qFatal("writing the library failed");
        return file;
    }();
    return path;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Lets pending decodes, repaints and timers run, outside the timed part.
void drain()
{
    ImageCache::shared().waitForDecodes();
    QEventLoop loop;
    QTimer::singleShot(40, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Browser {
    std::unique_ptr<ModelContext> context;
    AppState appState;
    MetadataRefresher refresher{[] {
        return [](std::optional<qint64>, std::optional<QString>, QString, std::stop_token) {
            return std::optional<RecordDraft>();
        };
    }};
    std::unique_ptr<MainWindow> window;
    CollectionBrowser *browser = nullptr;
    double openMs = 0;
    double openedMB = 0;

    CollectionGridView &grid() const { return *browser->grid(); }

    QWidget *page() const
    {
        switch (window->collectionPage()) {
        case MainWindow::CollectionPage::grid:
            return window->gridView();
        case MainWindow::CollectionPage::table:
            return window->tableView();
        case MainWindow::CollectionPage::searchEmpty:
            return window->searchEmptyView();
        case MainWindow::CollectionPage::empty:
            break;
        }
        return window->centralWidget();
    }

    // Paints what changed at once instead of on the next frame.
    void redraw() const
    {
        page()->repaint();
        window->statusBarView()->repaint();
    }

    void search(const QString &text)
    {
        window->searchField()->setText(text);
        settle();
        redraw();
        drain();
    }
};

Browser &browser()
{
    static Browser *shared = [] {
        const QString &path = libraryPath();
        malloc_trim(0);
        auto *b = new Browser;
        QElapsedTimer timer;
        timer.start();
        b->context = std::make_unique<ModelContext>(path);
        b->window = std::make_unique<MainWindow>(b->context.get(), &b->appState, &b->refresher);
        b->window->show();
        settle();
        b->browser = b->window->findChild<CollectionBrowser *>();
        if (!b->browser)
            qFatal("the main window built no collection browser");
        b->redraw();
        b->openMs = double(timer.nsecsElapsed()) / 1e6;
        drain();
        b->openedMB = residentMB();
        return b;
    }();
    return *shared;
}

void timed(benchmark::State &state, const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
}

// Opening the window over the library, and its resident memory once it shows the grid.
void BM_OpenWindow(benchmark::State &state)
{
    Browser &b = browser();
    for (auto _ : state)
        state.SetIterationTime(b.openMs / 1000.0);
    state.counters["records"] = double(b.context->records().size());
    state.counters["rss_MB"] = b.openedMB;
    state.counters["thumbnails_cached"] = ImageCache::shared().count();
}
BENCHMARK(BM_OpenWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The tiles whose rectangles reach into the grid's viewport, added to `seen`; returns how
// many were new.
int tilesComingIntoView(const CollectionGridView &grid, QSet<int> &seen)
{
    const QRect view = grid.viewport()->rect();
    const int rows = grid.model()->rowCount();
    const GridGeometry geometry = grid.geometry();
    const int lineHeight = grid.tileHeight() + GridGeometry::kRowSpacing;
    const int offset = grid.verticalScrollBar()->value();
    int row = std::max(0, (offset - GridGeometry::kPadding) / lineHeight - 1) * geometry.columns;
    int added = 0;
    for (; row < rows; ++row) {
        const QRect rect = grid.visualRect(grid.model()->index(row, 0));
        if (rect.top() > view.bottom())
            break;
        if (rect.intersects(view) && !seen.contains(row)) {
            seen.insert(row);
            ++added;
        }
    }
    return added;
}

// Scrolls a page at a time and then jumps to the end: only the thumbnails of tiles that
// come into view may be decoded. Decodes are counted as new entries of the shared cache,
// which stays far from its limits over these few pages, once they have all arrived. The
// time is the page painted with placeholders where covers are still decoding; covers_ms
// runs on until every cover of the page is decoded and painted.
void BM_ScrollGridDecodes(benchmark::State &state)
{
    Browser &b = browser();
    CollectionGridView &grid = b.grid();
    QScrollBar *bar = grid.verticalScrollBar();
    int tiles = 0;
    int decodes = 0;
    int jumpTiles = 0;
    int jumpDecodes = 0;
    double totalMs = 0;
    double coversMs = 0;
    int pages = 0;
    for (auto _ : state) {
        bar->setValue(0);
        settle();
        b.redraw();
        drain();
        QSet<int> seen;
        tilesComingIntoView(grid, seen);
        for (int page = 0; page < 5; ++page) {
            const int before = ImageCache::shared().count();
            QElapsedTimer timer;
            timer.start();
            bar->setValue(bar->value() + bar->pageStep());
            settle();
            grid.viewport()->repaint();
            totalMs += double(timer.nsecsElapsed()) / 1e6;
            ImageCache::shared().waitForDecodes();
            grid.viewport()->repaint();
            coversMs += double(timer.nsecsElapsed()) / 1e6;
            ++pages;
            decodes += ImageCache::shared().count() - before;
            tiles += tilesComingIntoView(grid, seen);
            drain();
        }
        const int before = ImageCache::shared().count();
        bar->setValue(bar->maximum());
        settle();
        grid.viewport()->repaint();
        ImageCache::shared().waitForDecodes();
        jumpDecodes = ImageCache::shared().count() - before;
        jumpTiles = tilesComingIntoView(grid, seen);
        drain();
        state.SetIterationTime(totalMs / 1000.0 / pages);
    }
    if (ImageCache::shared().count() >= ImageCache::kCountLimit)
        state.SkipWithError("the thumbnail cache was full: decodes cannot be counted");
    state.counters["tiles_into_view"] = tiles;
    state.counters["decodes"] = decodes;
    state.counters["jump_tiles"] = jumpTiles;
    state.counters["jump_decodes"] = jumpDecodes;
    state.counters["covers_ms"] = coversMs / pages;
    bar->setValue(0);
    settle();
}
BENCHMARK(BM_ScrollGridDecodes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

struct TypingCase {
    const char *name;
    const char *before;
    char typed; // 0: Backspace
};

// A character in nearly every record; one in none; two steps that narrow a large result;
// and Backspace, which widens it again.
constexpr TypingCase kTypingCases[] = {
    {"common 'e'", "", 'e'},
    {"no match 'q'", "", 'q'},
    {"narrowing 'e'+'l'", "e", 'l'},
    {"narrowing 'el'+'v'", "el", 'v'},
    {"widening 'el'-Backspace", "el", 0},
};

void type(QLineEdit *field, char typed)
{
    const int key = typed ? Qt::Key_A + (typed - 'a') : Qt::Key_Backspace;
    const QString text = typed ? QString(QLatin1Char(typed)) : QString();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(field, &release);
}

void BM_TypeCharacter(benchmark::State &state)
{
    const TypingCase &c = kTypingCases[state.range(0)];
    state.SetLabel(c.name);
    Browser &b = browser();
    for (auto _ : state) {
        b.search(QString::fromLatin1(c.before));
        timed(state, [&] {
            type(b.window->searchField(), c.typed);
            settle();
            b.redraw();
        });
        drain();
    }
    state.counters["shown"] = double(b.window->browsingState()->visibleRecords().size());
    b.search(QString());
}
BENCHMARK(BM_TypeCharacter)->DenseRange(0, std::size(kTypingCases) - 1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The sidebar's counts over the whole library and its rows rebuilt and repainted.
void BM_SidebarCounts(benchmark::State &state)
{
    Browser &b = browser();
    SidebarView *sidebar = b.browser->sidebar();
    for (auto _ : state) {
        timed(state, [&] {
            sidebar->setCounts(sidebarCounts(b.context->records(), QDateTime::currentDateTimeUtc()));
            sidebar->repaint();
        });
    }
}
BENCHMARK(BM_SidebarCounts)->UseManualTime()->Unit(benchmark::kMillisecond);

// From another key to this one (ascending), re-sorted, shown and repainted; with the
// second argument 1 each time right after a rating edit (which only the rating orders
// read), with 2 right after a title edit (which every order reads, so nothing is kept).
void BM_SwitchSortKey(benchmark::State &state)
{
    const SortKey key = allSortKeys[size_t(state.range(0))];
    const int edit = int(state.range(1));
    const SortKey other = key == SortKey::artist ? SortKey::title : SortKey::artist;
    const char *const labels[] = {"", " after a rating edit", " after a title edit"};
    state.SetLabel(rawValue(key).toStdString() + labels[edit]);
    Browser &b = browser();
    Record *edited = b.context->records().last();
    const QString title = edited->title();
    int edits = 0;
    for (auto _ : state) {
        b.window->browsingState()->setSort(other, true);
        if (edit == 1)
            edited->setRating(edited->rating() == 5 ? 0 : edited->rating() + 1);
        else if (edit == 2)
            edited->setTitle(title + QString::number(++edits % 2));
        settle();
        b.redraw();
        drain();
        timed(state, [&] {
            b.window->browsingState()->setSort(key, true);
            settle();
            b.redraw();
        });
    }
    edited->setTitle(title);
    b.window->browsingState()->setSort(SortKey::artist, true);
    settle();
}
BENCHMARK(BM_SwitchSortKey)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1, 2}})->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FlipSortOrder(benchmark::State &state)
{
    Browser &b = browser();
    bool ascending = true;
    for (auto _ : state) {
        ascending = !ascending;
        timed(state, [&] {
            b.window->browsingState()->setSort(SortKey::artist, ascending);
            settle();
            b.redraw();
        });
        drain();
    }
    b.window->browsingState()->setSort(SortKey::artist, true);
    settle();
}
BENCHMARK(BM_FlipSortOrder)->UseManualTime()->Unit(benchmark::kMillisecond);

// One edit (the favourite flag, as the context menu sets it) until grid and sidebar show it.
void BM_ToggleFavorite(benchmark::State &state)
{
    Browser &b = browser();
    Record *record = b.window->browsingState()->visibleRecords().first();
    for (auto _ : state) {
        timed(state, [&] {
            record->setIsFavorite(!record->isFavorite());
            settle();
            b.redraw();
            b.browser->sidebar()->repaint();
        });
        drain();
    }
}
BENCHMARK(BM_ToggleFavorite)->UseManualTime()->Unit(benchmark::kMillisecond);

// A hundred pages down the grid, each repainted; then the window's resident memory.
void BM_Scroll100Pages(benchmark::State &state)
{
    Browser &b = browser();
    CollectionGridView &grid = b.grid();
    QScrollBar *bar = grid.verticalScrollBar();
    bar->setValue(0);
    settle();
    double totalMs = 0;
    double slowestMs = 0;
    for (auto _ : state) {
        for (int page = 0; page < 100; ++page) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(bar->value() + bar->pageStep());
            settle();
            grid.viewport()->repaint();
            const double ms = double(timer.nsecsElapsed()) / 1e6;
            totalMs += ms;
            slowestMs = std::max(slowestMs, ms);
            QCoreApplication::processEvents();
        }
        state.SetIterationTime(totalMs / 100 / 1000);
    }
    // The covers of the pages passed are decoded meanwhile: their memory counts too.
    drain();
    state.counters["slowest_page_ms"] = slowestMs;
    state.counters["rss_MB"] = residentMB();
    state.counters["cache_MB"] = double(ImageCache::shared().totalBytes()) / (1024.0 * 1024.0);
    state.counters["thumbnails_cached"] = ImageCache::shared().count();
}
BENCHMARK(BM_Scroll100Pages)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// A full cover as the editor stores it (1200 pixels, a photographed sleeve's detail), so its
// decode costs what a real one does.
QByteArray fullCoverJPEG(int variant)
{
    QImage image(1200, 1200, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 1200, 1200);
    gradient.setColorAt(0, QColor::fromHsv(variant * 37 % 360, 170, 210));
    gradient.setColorAt(1, QColor::fromHsv((variant * 37 + 120) % 360, 150, 90));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(Qt::white, 3));
    for (int i = 0; i < 60; ++i)
        painter.drawLine(0, i * 20, 1200, 1200 - i * 20);
    painter.end();
    return jpeg(image);
}

// A record with a 1200-pixel cover and a 30-track tracklist, stored, its cover not yet
// decoded by anyone.
Record *richRecord(ModelContext &context, int variant)
{
    auto record = std::make_unique<Record>();
    record->setTitle(QStringLiteral("Detailed %1").arg(variant));
    record->setArtist(QStringLiteral("Bench Artist"));
    record->setYear(1977);
    record->setFormat(QStringLiteral("Vinyl, LP, Album"));
    record->setGenres({ QStringLiteral("Rock"), QStringLiteral("Pop") });
    record->setNotes(QStringLiteral("Gatefold sleeve, original inner."));
    QList<Track> tracks;
    for (int i = 1; i <= 30; ++i)
        tracks.append({ QUuid::createUuid(), QStringLiteral("A%1").arg(i),
            QStringLiteral("Track number %1").arg(i), QStringLiteral("4:%1").arg(i + 10) });
    record->setTracks(tracks);
    record->setCover(fullCoverJPEG(variant));
    Record *stored = context.insert(std::move(record));
    context.save();
    return stored;
}

// From one selected record to another with a full cover and 30 tracks, until the inspector
// has painted its detail view.
void BM_ShowRecordDetail(benchmark::State &state)
{
    Browser &b = browser();
    QWidget *inspector = b.window->inspectorView();
    int variant = 0;
    b.window->browsingState()->setSelection({ b.window->browsingState()->visibleRecords().first()->id() });
    settle();
    drain();
    for (auto _ : state) {
        Record *record = richRecord(*b.context, variant++);
        settle();
        drain();
        timed(state, [&] {
            b.window->browsingState()->setSelection({ record->id() });
            settle();
            inspector->repaint();
        });
        drain();
    }
    b.window->browsingState()->setSelection({});
    settle();
    drain();
}
BENCHMARK(BM_ShowRecordDetail)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(8);

// From one selected record to none: the statistics counted over the whole library and painted.
void BM_ShowStatistics(benchmark::State &state)
{
    Browser &b = browser();
    QWidget *inspector = b.window->inspectorView();
    for (auto _ : state) {
        Record *first = b.window->browsingState()->visibleRecords().first();
        b.window->browsingState()->setSelection({ first->id() });
        // An edit while the figures are hidden: showing them counts the library again.
        first->setIsFavorite(!first->isFavorite());
        settle();
        drain();
        timed(state, [&] {
            b.window->browsingState()->setSelection({});
            settle();
            inspector->repaint();
        });
        drain();
    }
    QElapsedTimer counting;
    counting.start();
    const CollectionStatistics figures = CollectionStatistics::of(b.context->records());
    state.counters["count_ms"] = double(counting.nsecsElapsed()) / 1e6;
    state.counters["artists"] = double(figures.artists);
}
BENCHMARK(BM_ShowStatistics)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Deleting the first records on show, selected, once confirmed: selection, context, store
// and views. Changes the library, so it runs last.
void BM_DeleteSelection(benchmark::State &state)
{
    Browser &b = browser();
    const int count = int(state.range(0));
    for (auto _ : state) {
        const QList<Record *> &shown = b.window->browsingState()->visibleRecords();
        QList<QUuid> ids;
        QSet<QUuid> selection;
        for (int i = 0; i < count && i < shown.size(); ++i) {
            ids.append(shown[i]->id());
            selection.insert(shown[i]->id());
        }
        b.window->browsingState()->setSelection(selection);
        settle();
        drain();
        timed(state, [&] {
            b.browser->operations()->deleteRecords(ids);
            settle();
            b.redraw();
        });
    }
    state.counters["records_left"] = double(b.context->records().size());
}
BENCHMARK(BM_DeleteSelection)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--write-library") == 0)
        return writeLibrary(QString::fromLocal8Bit(argv[2]));
    // A settings file of its own, so the window's view settings start from their defaults
    // and nobody else's are touched.
    QCoreApplication::setApplicationName(QStringLiteral("VorlaBench-")
                                         + QUuid::createUuid().toString(QUuid::WithoutBraces));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const QString settingsFile = QSettings().fileName();
    QSettings().clear();
    QFile::remove(settingsFile);
    return 0;
}
