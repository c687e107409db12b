#include "views/record_editor_form.h"

#include "library_fixture.h"

#include "views/components/comma_separated_field.h"
#include "views/components/star_rating.h"
#include "views/cover_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

using namespace vorla;
using namespace vorla::test;

namespace {

class RecordEditorFormTest : public LibraryTest
{
protected:
    RecordEditorForm form { settings };

    RecordEditorFormTest()
    {
        form.resize(640, 700);
        form.show();
    }
    template <typename T = QLineEdit> T *field(const char *name)
    {
        T *found = form.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // As typing does (Qt Test's key clicks only know ASCII).
    void type(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        edit->insert(text);
    }
    void choose(QComboBox *picker, int index)
    {
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    QList<QLineEdit *> trackFields(const char *name)
    {
        return form.findChildren<QLineEdit *>(QString::fromLatin1(name));
    }
    void clickAddTrack()
    {
        field<QPushButton>("addTrackButton")->click();
        QApplication::processEvents();
    }
};

} // namespace

TEST(RecordEditorFormPositions, NextTrackPosition)
{
    const struct
    {
        QStringList positions;
        const char *next;
    } cases[] = {
        { {}, "A1" },
        { { QStringLiteral("A1") }, "A2" },
        { { QStringLiteral("A1"), QStringLiteral("B12") }, "B13" },
        { { QStringLiteral("A01") }, "A2" },
        { { QStringLiteral("A+5") }, "A6" },
        { { QStringLiteral("A-3") }, "A-2" },
        { { QStringLiteral("Ä7") }, "Ä8" },
        { { QString::fromUtf8("\xF0\x9D\x92\x9C"
                              "3") },
            "\xF0\x9D\x92\x9C"
            "4" },
        { { QStringLiteral("A") }, "" },
        { { QStringLiteral("3") }, "" },
        { { QString() }, "" },
        { { QStringLiteral("AB1") }, "" },
        { { QStringLiteral("A 1") }, "" },
        { { QStringLiteral("A1 ") }, "" },
        { { QStringLiteral("A١") }, "" },
        { { QStringLiteral("A9223372036854775806") }, "A9223372036854775807" },
        // No successor, and no parse: never an overflow.
        { { QStringLiteral("A9223372036854775807") }, "" },
        { { QStringLiteral("A99999999999999999999") }, "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.positions.join(u',').toStdString());
        QList<Track> tracks;
        for (const QString &position : c.positions)
            tracks.append({ QUuid::createUuid(), position, {}, {} });
        EXPECT_EQ(RecordEditorForm::nextTrackPosition(tracks), QString::fromUtf8(c.next));
    }
}

TEST_F(RecordEditorFormTest, EveryWidgetWritesItsField)
{
    RecordDraft draft;
    draft.title = QStringLiteral("Old");
    draft.coverURL = QUrl(QStringLiteral("https://example.com/c.jpg"));
    draft.discogsReleaseID = 5;
    draft.sourceURL = QStringLiteral("https://www.discogs.com/release/5");
    form.setDraft(draft);
    QSignalSpy changes(&form, &RecordEditorForm::draftChanged);
    EXPECT_EQ(changes.count(), 0);

    type(field("titleField"), QStringLiteral("Tago Mago"));
    type(field("artistField"), QStringLiteral("Can"));
    type(field("yearField"), QStringLiteral("1971"));
    type(field("countryField"), QStringLiteral("Germany"));
    type(field("labelField"), QStringLiteral("United Artists"));
    type(field("catalogNumberField"), QStringLiteral("UAS 29 211"));
    type(field("formatField"), QStringLiteral("Vinyl, 2xLP"));
    type(field("barcodeField"), QStringLiteral("0123"));
    type(field<CommaSeparatedField>("genresField"), QStringLiteral("Rock, Electronic"));
    type(field<CommaSeparatedField>("stylesField"), QStringLiteral("Krautrock"));
    choose(field<QComboBox>("mediaConditionPicker"), 3);
    choose(field<QComboBox>("sleeveConditionPicker"), 4);
    field<StarRating>("ratingStars")->tapStar(4);
    field<QCheckBox>("favoriteToggle")->click();
    type(field("locationField"), QStringLiteral("Shelf 2"));
    type(field("priceField"), QStringLiteral("$24.99"));
    field<QCheckBox>("purchaseDateKnown")->click();
    field<QDateEdit>("purchaseDatePicker")->setDate(QDate(2020, 5, 17));
    clickAddTrack();
    type(trackFields("trackTitle").first(), QStringLiteral("Paperhouse"));
    type(trackFields("trackDuration").first(), QStringLiteral("7:29"));
    QTest::keyClicks(field<QPlainTextEdit>("notesEditor"), QStringLiteral("Gatefold"));

    const RecordDraft &result = form.draft();
    EXPECT_EQ(result.title, QStringLiteral("Tago Mago"));
    EXPECT_EQ(result.artist, QStringLiteral("Can"));
    EXPECT_EQ(result.year, 1971);
    EXPECT_EQ(result.country, QStringLiteral("Germany"));
    EXPECT_EQ(result.label, QStringLiteral("United Artists"));
    EXPECT_EQ(result.catalogNumber, QStringLiteral("UAS 29 211"));
    EXPECT_EQ(result.format, QStringLiteral("Vinyl, 2xLP"));
    EXPECT_EQ(result.barcode, QStringLiteral("0123"));
    EXPECT_EQ(
        result.genres, (QStringList { QStringLiteral("Rock"), QStringLiteral("Electronic") }));
    EXPECT_EQ(result.styles, QStringList { QStringLiteral("Krautrock") });
    EXPECT_EQ(result.mediaCondition, Grading::veryGoodPlus);
    EXPECT_EQ(result.sleeveCondition, Grading::veryGood);
    EXPECT_EQ(result.rating, 4);
    EXPECT_TRUE(result.isFavorite);
    EXPECT_EQ(result.location, QStringLiteral("Shelf 2"));
    EXPECT_EQ(result.purchasePrice, 24.99);
    ASSERT_TRUE(result.purchaseDate);
    EXPECT_EQ(result.purchaseDate->toLocalTime().date(), QDate(2020, 5, 17));
    ASSERT_EQ(result.tracks.size(), 1);
    EXPECT_EQ(result.tracks.first().position, QStringLiteral("A1"));
    EXPECT_EQ(result.tracks.first().title, QStringLiteral("Paperhouse"));
    EXPECT_EQ(result.tracks.first().duration, QStringLiteral("7:29"));
    EXPECT_EQ(result.notes, QStringLiteral("Gatefold"));
    // What the form does not show passes through.
    EXPECT_EQ(result.coverURL, draft.coverURL);
    EXPECT_EQ(result.discogsReleaseID, 5);
    EXPECT_EQ(result.sourceURL, draft.sourceURL);
    EXPECT_FALSE(result.coverChanged);
    EXPECT_GT(changes.count(), 20);

    // Shown again from a draft, every widget reads it back.
    RecordEditorForm again(settings);
    again.setDraft(result);
    again.show();
    EXPECT_EQ(
        again.findChild<QLineEdit *>(QStringLiteral("yearField"))->text(), QStringLiteral("1971"));
    EXPECT_EQ(again.findChild<QLineEdit *>(QStringLiteral("priceField"))->text(),
        QStringLiteral("$24.99"));
    EXPECT_EQ(again.findChild<CommaSeparatedField *>(QStringLiteral("genresField"))->text(),
        QStringLiteral("Rock, Electronic"));
    EXPECT_EQ(again.findChild<QComboBox *>(QStringLiteral("mediaConditionPicker"))->currentText(),
        QStringLiteral("Very Good Plus (VG+)"));
    EXPECT_EQ(again.draft().tracks, result.tracks);
}

TEST_F(RecordEditorFormTest, AddTrackNumbersOnAndRemoveTakesOnlyItsRow)
{
    clickAddTrack();
    clickAddTrack();
    ASSERT_EQ(form.draft().tracks.size(), 2);
    EXPECT_EQ(form.draft().tracks[0].position, QStringLiteral("A1"));
    EXPECT_EQ(form.draft().tracks[1].position, QStringLiteral("A2"));
    type(trackFields("trackPosition").last(), QStringLiteral("3"));
    clickAddTrack();
    EXPECT_EQ(form.draft().tracks.last().position, QString());

    // Two rows alike in every shown field: removing one keeps the other.
    RecordDraft draft;
    draft.tracks = { { QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("Same"), {} },
        { QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("Same"), {} } };
    const QUuid kept = draft.tracks[1].id;
    form.setDraft(draft);
    form.findChildren<QToolButton *>(QStringLiteral("removeTrackButton")).first()->click();
    QApplication::processEvents();
    ASSERT_EQ(form.draft().tracks.size(), 1);
    EXPECT_EQ(form.draft().tracks.first().id, kept);
    EXPECT_EQ(trackFields("trackTitle").size(), 1);
}

TEST_F(RecordEditorFormTest, YearHasNoGroupingAndClearsToNone)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    RecordDraft draft;
    draft.year = 1977;
    form.setDraft(draft);
    EXPECT_EQ(field("yearField")->text(), QStringLiteral("1977"));
    type(field("yearField"), QString());
    EXPECT_EQ(form.draft().year, std::nullopt);
    QTest::keyClicks(field("yearField"), QStringLiteral("19x8"));
    EXPECT_EQ(form.draft().year, 198);
}

TEST_F(RecordEditorFormTest, KnownSwitchesThePurchaseDate)
{
    RecordDraft draft;
    draft.purchaseDate = QDateTime(QDate(2001, 2, 3), QTime(10, 0), Qt::UTC);
    form.setDraft(draft);
    auto *known = field<QCheckBox>("purchaseDateKnown");
    auto *picker = field<QDateEdit>("purchaseDatePicker");
    EXPECT_TRUE(known->isChecked());
    EXPECT_FALSE(picker->isHidden());
    known->click();
    EXPECT_EQ(form.draft().purchaseDate, std::nullopt);
    EXPECT_TRUE(picker->isHidden());
    known->click();
    ASSERT_TRUE(form.draft().purchaseDate);
    EXPECT_EQ(form.draft().purchaseDate->toLocalTime().date(), QDate::currentDate());
    EXPECT_FALSE(picker->isHidden());
    EXPECT_EQ(picker->date(), QDate::currentDate());
}

TEST_F(RecordEditorFormTest, PriceFollowsTheCurrencyInTheLocalesNotation)
{
    const struct
    {
        QLocale locale;
        const char *code;
        const char *typed;
        double amount;
        const char *shown;
    } cases[] = {
        { QLocale(QLocale::English, QLocale::UnitedStates), "USD", "12.5", 12.5, "$12.50" },
        { QLocale(QLocale::English, QLocale::UnitedStates), "EUR", "€1,234.56", 1234.56,
            "€1,234.56" },
        { QLocale(QLocale::German, QLocale::Germany), "EUR", "12,50 €", 12.5, "12,50\u00A0€" },
        { QLocale(QLocale::German, QLocale::Germany), "EUR", "7", 7, "7,00\u00A0€" },
        { QLocale(QLocale::Japanese, QLocale::Japan), "JPY", "¥1500", 1500, "￥1,500" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(c.locale);
        settings.setCurrencyCode(QString::fromLatin1(c.code));
        form.setDraft(RecordDraft());
        type(field("priceField"), QString::fromUtf8(c.typed));
        ASSERT_TRUE(form.draft().purchasePrice);
        EXPECT_NEAR(*form.draft().purchasePrice, c.amount, 1e-9);
        emit field("priceField")->editingFinished();
        EXPECT_EQ(field("priceField")->text(), QString::fromUtf8(c.shown));
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    settings.setCurrencyCode(QStringLiteral("GBP"));
    EXPECT_EQ(field("priceField")->text(), QStringLiteral("£1,500.00"));
    type(field("priceField"), QStringLiteral("nonsense"));
    EXPECT_EQ(form.draft().purchasePrice, 1500);
    type(field("priceField"), QString());
    EXPECT_EQ(form.draft().purchasePrice, std::nullopt);
}

TEST_F(RecordEditorFormTest, UntouchedListsKeepTheirCommas)
{
    RecordDraft draft;
    draft.genres = { QStringLiteral("Folk, World, & Country"), QStringLiteral("Jazz") };
    form.setDraft(draft);
    type(field("titleField"), QStringLiteral("Edited"));
    EXPECT_EQ(form.draft().genres, draft.genres);
    // A second draft gets fields of its own, not the first draft's lists.
    RecordDraft other;
    other.styles = { QStringLiteral("Dub") };
    form.setDraft(other);
    QApplication::processEvents();
    EXPECT_EQ(field<CommaSeparatedField>("stylesField")->text(), QStringLiteral("Dub"));
    EXPECT_EQ(field<CommaSeparatedField>("genresField")->text(), QString());
}

TEST_F(RecordEditorFormTest, CoverEditsMarkTheCoverChanged)
{
    RecordDraft draft;
    draft.coverImageData = encodedImage(30, 30, "JPEG");
    form.setDraft(draft);
    form.coverEditor()->remove();
    EXPECT_TRUE(form.draft().coverChanged);
    EXPECT_EQ(form.draft().coverImageData, std::nullopt);
    form.coverEditor()->takeImageData(encodedImage(40, 40));
    EXPECT_TRUE(form.isBusy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isBusy(); }, 5000));
    EXPECT_TRUE(form.draft().coverImageData);
}

TEST_F(RecordEditorFormTest, ANewCoverIsPreparedForStoringBeforeItCanBeSaved)
{
    // The record's own cover is stored as it is: nothing to prepare.
    RecordDraft stored;
    stored.coverImageData = encodedImage(30, 30, "JPEG");
    form.setDraft(stored);
    EXPECT_FALSE(form.isBusy());
    EXPECT_EQ(form.preparedCover(), std::nullopt);

    // A looked-up cover the draft brings, then one the user takes in.
    RecordDraft found;
    found.coverImageData = encodedImage(1600, 900, "JPEG");
    found.coverChanged = true;
    form.setDraft(found);
    EXPECT_TRUE(form.isBusy());
    form.coverEditor()->takeImageData(encodedImage(1400, 1400, "PNG", Qt::blue));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isBusy(); }, 10000));
    const std::optional<QByteArray> taken = form.draft().coverImageData;
    ASSERT_TRUE(taken);
    ASSERT_TRUE(form.preparedCover());
    EXPECT_EQ(form.preparedCover()->source, *taken);
    EXPECT_EQ(form.preparedCover()->cover, Record::prepareCover(*taken));

    // Removing the cover leaves nothing to prepare.
    form.coverEditor()->remove();
    EXPECT_FALSE(form.isBusy());
    EXPECT_EQ(form.preparedCover(), std::nullopt);
}
