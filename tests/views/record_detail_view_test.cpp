#include "views/record_detail_view.h"

#include "gated_lookup.h"
#include "library_fixture.h"

#include "services/lookup_error.h"
#include "views/components/star_rating.h"
#include "views/detail_section.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

using namespace vorla;
using namespace vorla::test;

namespace {

class RecordDetailViewTest : public LibraryTest
{
protected:
    GatedLookup lookup;

    std::unique_ptr<RecordDetailView> show(Record *record)
    {
        auto view = std::make_unique<RecordDetailView>(
            context.get(), record->id(), calls.actions(), lookup.factory(), settings);
        view->resize(360, 900);
        view->show();
        return view;
    }
    template <typename T> static T *find(QWidget &view, const char *name)
    {
        T *found = view.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QString text(QWidget &view, const char *name) { return find<QLabel>(view, name)->text(); }
    static bool rowShown(QWidget &view, const char *name)
    {
        return !find<DetailRow>(view, name)->isHidden();
    }
    static QString rowValue(QWidget &view, const char *name)
    {
        return find<DetailRow>(view, name)->value();
    }
    void waitForRefresh(RecordDetailView &view)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view.isRefreshing(); }, 5000));
    }
};

QStringList chipTexts(const QList<ChipItem> &items)
{
    QStringList texts;
    for (const ChipItem &item : items)
        texts.append(item.text + u'|' + item.systemImage);
    return texts;
}

} // namespace

TEST_F(RecordDetailViewTest, ChipsShowYearFormatCountryAndGrades)
{
    const struct {
        const char *name;
        std::optional<int> year;
        const char *format;
        const char *country;
        const char *media;
        const char *sleeve;
        QStringList chips;
    } cases[] = {
        { "first piece of the format, sleeve not graded", 1977, "Vinyl, LP, Album", "", "VG+", "",
            { QStringLiteral("1977|calendar"), QStringLiteral("Vinyl|opticaldisc"),
                QStringLiteral("VG+ / —|checkmark.seal") } },
        { "whole format without comma, both graded", std::nullopt, "LP", "UK", "NM", "VG",
            { QStringLiteral("LP|opticaldisc"), QStringLiteral("UK|globe"),
                QStringLiteral("NM / VG|checkmark.seal") } },
        { "ungraded media hides the grades", std::nullopt, "", "", "", "VG", {} },
        { "an unknown grade counts as ungraded", std::nullopt, "", "", "EX", "VG", {} },
        { "an unknown sleeve grade shows the dash", std::nullopt, "", "", "G", "EX",
            { QStringLiteral("G / —|checkmark.seal") } },
        { "the format's first piece is not trimmed", std::nullopt, " 12\", 45 RPM", "", "", "",
            { QStringLiteral(" 12\"|opticaldisc") } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Record record;
        record.setYear(c.year);
        record.setFormat(QString::fromUtf8(c.format));
        record.setCountry(QString::fromUtf8(c.country));
        record.setMediaConditionRaw(QString::fromUtf8(c.media));
        record.setSleeveConditionRaw(QString::fromUtf8(c.sleeve));
        EXPECT_EQ(chipTexts(RecordDetailView::chipItems(record)), c.chips);
    }
}

TEST_F(RecordDetailViewTest, RefreshNeedsAnIdOrBarcodeDigits)
{
    const struct {
        const char *name;
        std::optional<qint64> discogs;
        std::optional<QString> musicBrainz;
        const char *barcode;
        bool refreshable;
    } cases[] = {
        { "nothing", std::nullopt, std::nullopt, "", false },
        { "barcode without digits", std::nullopt, std::nullopt, "n/a - -", false },
        { "barcode digits", std::nullopt, std::nullopt, "code 0 7464", true },
        { "discogs id", 42, std::nullopt, "", true },
        { "empty musicbrainz id", std::nullopt, QString(), "", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Record *record = add(QStringLiteral("Case"));
        record->setDiscogsReleaseID(c.discogs);
        record->setMusicBrainzID(c.musicBrainz);
        record->setBarcode(QString::fromUtf8(c.barcode));
        EXPECT_EQ(RecordDetailView::canRefresh(*record), c.refreshable);
        auto view = show(record);
        QPushButton *refresh = find<QPushButton>(*view, "refreshButton");
        EXPECT_EQ(refresh->isEnabled(), c.refreshable);
        EXPECT_EQ(refresh->toolTip(),
            c.refreshable ? QStringLiteral("Re-download metadata and artwork")
                          : QStringLiteral("Add a barcode or release ID to refresh metadata"));
    }
}

TEST_F(RecordDetailViewTest, EmptyFactsTakeNoLine)
{
    Record *record = add(QString(), QString());
    auto view = show(record);
    EXPECT_EQ(text(*view, "title"), QStringLiteral("Untitled"));
    EXPECT_EQ(text(*view, "artist"), QString());
    for (const char *row : { "labelRow", "catalogNumberRow", "formatRow", "countryRow",
             "barcodeRow", "genresRow", "stylesRow", "mediaRow", "sleeveRow", "locationRow",
             "paidRow", "purchasedRow" }) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(rowShown(*view, row));
    }
    EXPECT_TRUE(rowShown(*view, "addedRow"));
    EXPECT_TRUE(find<DetailSection>(*view, "tracklistSection")->isHidden());
    EXPECT_TRUE(find<DetailSection>(*view, "notesSection")->isHidden());
    EXPECT_TRUE(find<QPushButton>(*view, "webButton")->isHidden());
    EXPECT_TRUE(find<QWidget>(*view, "refreshError")->isHidden());
}

TEST_F(RecordDetailViewTest, ShowsEveryFactOfTheRecord)
{
    Record *record = add(QStringLiteral("Tago Mago"), QStringLiteral("Can"));
    record->setLabel(QStringLiteral("United Artists"));
    record->setCatalogNumber(QStringLiteral("UAS 29 211"));
    record->setFormat(QStringLiteral("Vinyl, LP, Album"));
    record->setBarcode(QStringLiteral("5012345678900"));
    record->setGenres({ QStringLiteral("Rock"), QStringLiteral("Folk, World, & Country") });
    record->setStyles({ QStringLiteral("Krautrock") });
    record->setMediaConditionRaw(QStringLiteral("VG+"));
    record->setSleeveConditionRaw(QStringLiteral("EX"));
    record->setLocation(QStringLiteral("Shelf 2"));
    record->setPurchaseDate(QDateTime(QDate(2021, 3, 4), QTime(12, 0), Qt::UTC));
    record->setNotes(QStringLiteral("Gatefold."));
    QList<Track> tracks;
    for (int i = 1; i <= 30; ++i)
        tracks.append({ QUuid::createUuid(), QStringLiteral("A%1").arg(i),
            QStringLiteral("Track %1").arg(i), QStringLiteral("3:%1").arg(i, 2, 10, QLatin1Char('0')) });
    record->setTracks(tracks);
    auto view = show(record);

    EXPECT_EQ(text(*view, "title"), QStringLiteral("Tago Mago"));
    EXPECT_EQ(text(*view, "artist"), QStringLiteral("Can"));
    EXPECT_EQ(rowValue(*view, "catalogNumberRow"), QStringLiteral("UAS 29 211"));
    EXPECT_EQ(rowValue(*view, "formatRow"), QStringLiteral("Vinyl, LP, Album"));
    EXPECT_EQ(rowValue(*view, "genresRow"), QStringLiteral("Rock, Folk, World, & Country"));
    EXPECT_EQ(rowValue(*view, "mediaRow"), QStringLiteral("Very Good Plus (VG+)"));
    EXPECT_FALSE(rowShown(*view, "sleeveRow"));
    EXPECT_EQ(rowValue(*view, "purchasedRow"), QStringLiteral("Mar 4, 2021"));
    EXPECT_EQ(text(*view, "notesText"), QStringLiteral("Gatefold."));
    const QList<QLabel *> positions = view->findChildren<QLabel *>(QStringLiteral("trackPosition"));
    ASSERT_EQ(positions.size(), 30);
    EXPECT_EQ(positions.first()->text(), QStringLiteral("A1"));
    EXPECT_EQ(view->findChildren<QLabel *>(QStringLiteral("trackDuration")).last()->text(),
        QStringLiteral("3:30"));

    // Edits made elsewhere show at once.
    record->setTitle(QStringLiteral("Ege Bamyasi"));
    record->setTracks({});
    EXPECT_EQ(text(*view, "title"), QStringLiteral("Ege Bamyasi"));
    EXPECT_TRUE(find<DetailSection>(*view, "tracklistSection")->isHidden());
}

TEST_F(RecordDetailViewTest, WebButtonNamesTheSource)
{
    const struct {
        const char *name;
        std::optional<qint64> discogs;
        std::optional<QString> musicBrainz;
        const char *url;
        bool shown;
        const char *text;
        const char *help;
    } cases[] = {
        { "discogs", 1234, std::nullopt, "https://www.discogs.com/release/1234", true, "Discogs",
            "Open this release on Discogs" },
        { "musicbrainz", std::nullopt, QStringLiteral("abc"), "https://musicbrainz.org/release/abc",
            true, "MusicBrainz", "Open this release on MusicBrainz" },
        { "neither id", std::nullopt, std::nullopt, "https://example.com/r", true, "Web",
            "Open this release on the web" },
        { "not an address", 1234, std::nullopt, "not a url", false, "", "" },
        { "not a web page", 1234, std::nullopt, "file:///etc/passwd", false, "", "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Record *record = add(QStringLiteral("Case"));
        record->setDiscogsReleaseID(c.discogs);
        record->setMusicBrainzID(c.musicBrainz);
        record->setSourceURL(QString::fromUtf8(c.url));
        auto view = show(record);
        auto *web = find<QPushButton>(*view, "webButton");
        EXPECT_EQ(!web->isHidden(), c.shown);
        if (c.shown) {
            EXPECT_EQ(web->text(), QString::fromUtf8(c.text));
            EXPECT_EQ(web->toolTip(), QString::fromUtf8(c.help));
        }
    }
}

TEST_F(RecordDetailViewTest, PriceFollowsTheCurrencySettingAtOnce)
{
    Record *record = add(QStringLiteral("Priced"));
    record->setPurchasePrice(12.5);
    settings.setCurrencyCode(QStringLiteral("EUR"));
    auto view = show(record);
    EXPECT_EQ(rowValue(*view, "paidRow"), QStringLiteral("€12.50"));
    settings.setCurrencyCode(QStringLiteral("JPY"));
    // The formatter rounds half to even.
    EXPECT_EQ(rowValue(*view, "paidRow"), QStringLiteral("¥12"));
    settings.setCurrencyCode(QStringLiteral("GBP"));
    EXPECT_EQ(rowValue(*view, "paidRow"), QStringLiteral("£12.50"));
    EXPECT_EQ(record->purchasePrice(), 12.5);
}

TEST_F(RecordDetailViewTest, RatingAndFavoriteAreSavedAutomatically)
{
    Record *record = add(QStringLiteral("Loved"));
    auto view = show(record);
    auto *favorite = find<QToolButton>(*view, "favoriteButton");
    EXPECT_EQ(favorite->toolTip(), QStringLiteral("Add to Favorites"));
    favorite->click();
    EXPECT_TRUE(record->isFavorite());
    EXPECT_EQ(favorite->toolTip(), QStringLiteral("Remove from Favorites"));
    find<StarRating>(*view, "rating")->tapStar(4);
    EXPECT_EQ(record->rating(), 4);
    // Not written at once: the context's automatic save does it a moment later.
    expectStored(record->id(), [](const Record &stored) {
        EXPECT_FALSE(stored.isFavorite());
        EXPECT_EQ(stored.rating(), 0);
    });
    expectSaved(record->id(), [](const Record &stored) {
        EXPECT_TRUE(stored.isFavorite());
        EXPECT_EQ(stored.rating(), 4);
    });
}

TEST_F(RecordDetailViewTest, EditAndDeleteAskTheWindow)
{
    Record *record = add(QStringLiteral("Asked"));
    auto view = show(record);
    find<QPushButton>(*view, "editButton")->click();
    find<QPushButton>(*view, "deleteButton")->click();
    EXPECT_EQ(calls.edited, QList<QUuid> { record->id() });
    EXPECT_EQ(calls.deleted, QList<QUuid> { record->id() });
    EXPECT_NE(context->record(record->id()), nullptr);
}

TEST_F(RecordDetailViewTest, RefreshMergesTheAnswerAndIsSavedAutomatically)
{
    Record *record = add(QStringLiteral("Old title"), QStringLiteral("Can"));
    record->setDiscogsReleaseID(99);
    record->setNotes(QStringLiteral("mine"));
    context->save();
    auto view = show(record);
    RecordDraft found;
    found.title = QStringLiteral("Tago Mago");
    found.artist = QString();
    found.genres = { QStringLiteral("Rock") };
    found.tracks = { { QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("Paperhouse"),
        QStringLiteral("7:29") } };
    lookup.answer(found);

    find<QPushButton>(*view, "refreshButton")->click();
    EXPECT_TRUE(view->isRefreshing());
    EXPECT_FALSE(find<QPushButton>(*view, "refreshButton")->isEnabled());
    EXPECT_FALSE(find<QWidget>(*view, "refreshSpinner")->isHidden());
    lookup.open();
    waitForRefresh(*view);
    EXPECT_EQ(lookup.state->discogsID, 99);
    EXPECT_EQ(view->refreshError(), std::nullopt);
    EXPECT_TRUE(find<QWidget>(*view, "refreshError")->isHidden());
    EXPECT_TRUE(find<QPushButton>(*view, "refreshButton")->isEnabled());
    EXPECT_EQ(text(*view, "title"), QStringLiteral("Tago Mago"));
    expectSaved(record->id(), [](const Record &stored) {
        EXPECT_EQ(stored.title(), QStringLiteral("Tago Mago"));
        EXPECT_EQ(stored.artist(), QStringLiteral("Can"));
        EXPECT_EQ(stored.notes(), QStringLiteral("mine"));
        EXPECT_EQ(stored.tracks().size(), 1);
    });
}

TEST_F(RecordDetailViewTest, RefreshShowsWhyItChangedNothing)
{
    const struct {
        const char *name;
        bool fails;
        QString message;
    } cases[] = {
        { "nothing found", false, QStringLiteral("No matching release was found.") },
        { "lookup error", true,
            LookupError::errorDescription(LookupError::Kind::unauthorized) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        GatedLookup scripted;
        Record *record = add(QStringLiteral("Kept"));
        record->setBarcode(QStringLiteral("123"));
        if (c.fails)
            scripted.fail(LookupError::unauthorized());
        scripted.open();
        RecordDetailView view(context.get(), record->id(), calls.actions(), scripted.factory(), settings);
        view.refresh();
        waitForRefresh(view);
        EXPECT_EQ(view.refreshError(), c.message);
        EXPECT_EQ(find<QLabel>(view, "refreshErrorText")->text(), c.message);
        EXPECT_FALSE(find<QWidget>(view, "refreshError")->isHidden());
        EXPECT_EQ(record->title(), QStringLiteral("Kept"));
        EXPECT_EQ(scripted.state->barcode, QStringLiteral("123"));
    }
}

TEST_F(RecordDetailViewTest, AnswerForADeletedRecordIsLeftAlone)
{
    Record *record = add(QStringLiteral("Going"));
    record->setDiscogsReleaseID(7);
    const QUuid id = record->id();
    RecordDraft found;
    found.title = QStringLiteral("Gone");
    lookup.answer(found);
    auto view = show(record);
    view->refresh();
    context->remove(id);
    context->save();
    lookup.open();
    waitForRefresh(*view);
    EXPECT_EQ(context->record(id), nullptr);
    EXPECT_FALSE(context->hasChanges());
    EXPECT_EQ(reopened()->record(id), nullptr);
}

TEST_F(RecordDetailViewTest, AnswerArrivingAfterTheViewWasReplacedStillFindsItsRecord)
{
    Record *record = add(QStringLiteral("Before"));
    record->setDiscogsReleaseID(7);
    RecordDraft found;
    found.title = QStringLiteral("After");
    lookup.answer(found);
    auto view = show(record);
    view->refresh();
    view.reset();
    lookup.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return record->title() == u"After"; }, 5000));
}

TEST_F(RecordDetailViewTest, DeleteCancelsARefreshInFlight)
{
    Record *record = add(QStringLiteral("Unchanged"));
    record->setDiscogsReleaseID(7);
    RecordDraft found;
    found.title = QStringLiteral("Written after delete");
    lookup.answer(found);
    auto view = show(record);
    view->refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lookup.state->calls == 1; }, 5000));
    find<QPushButton>(*view, "deleteButton")->click();
    EXPECT_EQ(calls.deleted, QList<QUuid> { record->id() });
    EXPECT_FALSE(view->isRefreshing());
    // The user may still keep the record: the cancelled answer must not land in it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return lookup.state->cancelled.load(); }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(record->title(), QStringLiteral("Unchanged"));
}
