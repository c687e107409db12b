// The photo path of the batch sheet end to end: a generated shelf photo read by the real photo
// analyzer, matched from recorded searches (no network), to the rows of the review list.
#include "views/batch_sheet_fixture.h"

#include "app/debug_hooks.h"
#include "scanner/photo_fixtures.h"
#include "test_support.h"

using namespace vorla;
using namespace vorla::test;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

} // namespace

TEST(BatchPhotos, AShelfPhotoReachesTheReviewWithItsMatches)
{
    IsolatedSettings settings;
    QTemporaryDir dir;
    const QString path = dir.filePath(u8("shelf.png"));
    ASSERT_TRUE(shelfPhoto({ { u8("LOW HARBOUR  ANA LUA  ABC-1234"), true },
                               { u8("GULL CHOIR  FERRIES  GC-5521"), false },
                               { u8("EASTWARD  MARTA QUELL  EW 4412"), true } },
        1200, 900)
                    .save(path));
    const auto replay
        = DebugHooks::replaySourcesFromFile(fixturePath(u8("replay/shelf_searches.json")));
    ASSERT_TRUE(replay);

    BatchMatcher::Backend backend = BatchMatcher::liveBackend();
    backend.lookups = [replay] { return BatchMatcher::facadeLookups([replay] { return replay; }); };
    BatchMatcher matcher(backend);
    ModelContext store(dir.filePath(u8("Vorla.store")));
    matcher.setContext(&store);

    BatchImportSheet sheet(&matcher, false, BatchImportSheet::Options {});
    sheet.show();
    sheet.importPhotos({ QUrl::fromLocalFile(path) });
    EXPECT_TRUE(sheet.isShowingReview());
    // Text reading is slow under the sanitizers on a busy machine.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !matcher.hasWork() || !matcher.isRunning(); }, 240000));

    const QList<BatchItem> &items = matcher.items();
    ASSERT_EQ(items.size(), 3);
    BatchReviewPane *review = sheet.reviewPane();
    const auto rowText = [&](int index, const char *name) {
        return review->row(items[index].id)->findChild<QLabel *>(QString::fromLatin1(name))->text();
    };
    EXPECT_EQ(rowText(0, "title"), u8("Ana Lua & The Tides — Low Harbour"));
    EXPECT_EQ(rowText(0, "badge"), u8("Added"));
    EXPECT_EQ(items[1].status.kind, BatchItem::Status::Kind::needsReview);
    EXPECT_EQ(rowText(1, "title"), u8("Gull Choir — Eastward"));
    EXPECT_EQ(rowText(2, "title"), u8("Marta Quell — Eastward"));
    EXPECT_EQ(review->findChild<QLabel *>(u8("summary"))->text(),
        QStringLiteral("%1 matched · 1 to review · 0 not found · %2 added automatically")
            .arg(3 - 1 - matcher.addedCount())
            .arg(matcher.addedCount()));
    EXPECT_GE(matcher.addedCount(), 1);
    EXPECT_EQ(store.records().size(), matcher.addedCount());
}
