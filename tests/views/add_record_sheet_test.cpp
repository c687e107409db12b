#include "views/add_record_sheet.h"

#include "add_record_fakes.h"
#include "isolated_settings.h"
#include "models/model_context.h"
#include "models/record.h"
#include "services/lookup_error.h"
#include "views/add_record_camera_pane.h"
#include "views/add_record_editor_page.h"
#include "views/add_record_results_pane.h"
#include "views/add_record_search_pane.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <SQLiteCpp/SQLiteCpp.h>

#include <gtest/gtest.h>

using namespace vorla;
using namespace vorla::test;
using namespace Qt::StringLiterals;
using Phase = AddRecordState::Phase;
using Kind = AddRecordState::Status::Kind;

namespace {

class AddRecordSheetTest : public testing::Test
{
protected:
    IsolatedSettings settings;
    ModelContext context;
    std::shared_ptr<FakeServices> services = std::make_shared<FakeServices>();
    FakeCamera camera;
    std::chrono::steady_clock::time_point now {};
    int chimes = 0;
    std::unique_ptr<AddRecordSheet> sheet;
    QList<QUuid> added;

    AddRecordSheet &open(AddMode mode, QHash<QString, QString> environment = {},
        QList<CameraDevice> devices = { { u"cam-1"_s, u"Webcam"_s } }, ModelContext *store = nullptr)
    {
        AddRecordSheet::Options options;
        options.services = services;
        options.scanner = camera.makeScanner(std::move(devices));
        options.environment = std::move(environment);
        options.chime = [this] { ++chimes; };
        options.clock = [this] { return now; };
        sheet = std::make_unique<AddRecordSheet>(mode, store ? store : &context, std::move(options));
        QObject::connect(sheet.get(), &AddRecordSheet::added, [this](const QUuid &id) { added.append(id); });
        sheet->show();
        sheet->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
        QCoreApplication::processEvents();
        return *sheet;
    }
    AddRecordState &state() { return *sheet->state(); }
    template <typename T = QWidget> T *find(const char *name)
    {
        T *widget = sheet->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QPushButton *button(const char *name) { return find<QPushButton>(name); }
    // Some names are in both the scan and the search pane: any one shown counts.
    bool shown(const char *name)
    {
        const QList<QWidget *> widgets = sheet->findChildren<QWidget *>(QString::fromLatin1(name));
        EXPECT_FALSE(widgets.isEmpty()) << name;
        return std::any_of(widgets.begin(), widgets.end(), [](QWidget *w) { return w->isVisible(); });
    }
    QPushButton *shownButton(const char *name)
    {
        for (QPushButton *b : sheet->findChildren<QPushButton *>(QString::fromLatin1(name))) {
            if (b->isVisible())
                return b;
        }
        ADD_FAILURE() << name;
        return nullptr;
    }
    void settle() { QTest::qWait(1); QCoreApplication::processEvents(); }
    // Waits until the sheet leaves its working status.
    void waitIdle()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !state().status().isWorking(); }, 5000));
        settle();
    }
    void type(QWidget *field, const QString &text)
    {
        field->setFocus();
        QTest::keyClicks(field, text);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : sheet.get();
        QTest::keyClick(target, key, modifiers);
        // A button's shortcut clicks it with a short animation.
        QTest::qWait(modifiers ? 250 : 1);
        settle();
    }
    Record *store(const QString &title, std::optional<qint64> discogs, const QString &barcode = {})
    {
        auto record = std::make_unique<Record>();
        record->setTitle(title);
        record->setArtist(u"Someone"_s);
        record->setBarcode(barcode);
        if (discogs)
            record->setDiscogsReleaseID(*discogs);
        return context.insert(std::move(record));
    }
};

} // namespace

TEST_F(AddRecordSheetTest, SearchChooseAndAddWithReturn)
{
    services->onSearch = [](const ReleaseQuery &) {
        return QList { candidate(u"11"_s, u"Blue Train"_s), candidate(u"12"_s, u"Soultrane"_s) };
    };
    services->onDetails = [](const ReleaseCandidate &c) {
        RecordDraft draft = draftFromCandidate(c);
        draft.discogsReleaseID = c.sourceID.toLongLong();
        return draft;
    };
    open(AddMode::search);
    EXPECT_TRUE(shown("searchPane"));
    EXPECT_FALSE(button("searchButton")->isEnabled());

    type(find("searchField"), u"  coltrane blue train "_s);
    EXPECT_TRUE(button("searchButton")->isEnabled());
    services->hold();
    key(Qt::Key_Return);
    EXPECT_EQ(state().status(), AddRecordState::Status::working(u"Searching for “coltrane blue train”…"_s));
    EXPECT_FALSE(button("searchButton")->isEnabled());
    services->open();
    waitIdle();
    // Return started exactly one search.
    EXPECT_EQ(services->calls(services->searches).size(), 1);
    ASSERT_EQ(state().phase(), Phase::results);
    EXPECT_EQ(state().selectedCandidate(), u"discogs:11"_s);
    EXPECT_EQ(find<QLabel>("headline")->text(), u"Choose a Release"_s);
    EXPECT_FALSE(shown("modePicker"));
    EXPECT_EQ(find<QListWidget>("candidateList")->count(), 2);

    find<QListWidget>("candidateList")->setCurrentRow(1);
    EXPECT_EQ(state().selectedCandidate(), u"discogs:12"_s);
    key(Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::editing; }, 5000));
    EXPECT_EQ(services->calls(services->detailRequests), QStringList { u"discogs:12"_s });
    EXPECT_EQ(state().draft().title, u"Soultrane"_s);
    // After a text search the barcode stays empty.
    EXPECT_EQ(state().draft().barcode, QString());
    EXPECT_EQ(find<QLabel>("headline")->text(), u"Review & Add"_s);
    EXPECT_FALSE(shown("duplicateWarning"));

    QSignalSpy accepted(sheet.get(), &QDialog::accepted);
    key(Qt::Key_Return);
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(accepted.size(), 1);
    const Record *record = context.record(added.first());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->title(), u"Soultrane"_s);
    EXPECT_EQ(record->discogsReleaseID(), 12);
    EXPECT_FALSE(context.hasChanges());
}

TEST_F(AddRecordSheetTest, SearchesThatAskNothing)
{
    open(AddMode::search);
    state().setQueryText(u" \t "_s);
    EXPECT_FALSE(button("searchButton")->isEnabled());
    sheet->searchText();
    EXPECT_EQ(state().status().kind, Kind::idle);
    EXPECT_TRUE(services->calls(services->searches).isEmpty());

    state().setQueryText(u"nothing like it"_s);
    sheet->searchText();
    waitIdle();
    EXPECT_EQ(state().status(), AddRecordState::Status::info(u"No releases matched “nothing like it”."_s));
    EXPECT_TRUE(shown("statusEnterManually"));
    shownButton("statusEnterManually")->click();
    EXPECT_EQ(state().mode(), AddMode::manual);
    EXPECT_EQ(state().draft().barcode, QString());
}

TEST_F(AddRecordSheetTest, TypedBarcodeIsLookedUpByItsDigits)
{
    open(AddMode::scan);
    QLineEdit *field = sheet->findChild<AddRecordCameraPane *>()->barcodeField();
    type(field, u"0 7567"_s);
    EXPECT_TRUE(shown("lookUpButton"));
    EXPECT_FALSE(button("lookUpButton")->isEnabled());
    key(Qt::Key_Return);
    EXPECT_TRUE(services->calls(services->lookups).isEmpty());

    services->onLookup = [](const QString &) { return QList { candidate(u"5"_s, u"Found"_s) }; };
    services->onDetails = [](const ReleaseCandidate &c) { return draftFromCandidate(c); };
    type(field, u"8-12345"_s);
    EXPECT_TRUE(button("lookUpButton")->isEnabled());
    services->hold();
    key(Qt::Key_Return);
    EXPECT_EQ(state().status(), AddRecordState::Status::working(u"Looking up 07567812345…"_s));
    services->open();
    waitIdle();
    EXPECT_EQ(services->calls(services->lookups), QStringList { u"07567812345"_s });
    ASSERT_EQ(state().phase(), Phase::results);

    sheet->choose(state().candidates().first());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::editing; }, 5000));
    // The release had no barcode: the digits that found it fill in.
    EXPECT_EQ(state().draft().barcode, u"07567812345"_s);
}

TEST_F(AddRecordSheetTest, FailedLookupsAndTheSettingsLink)
{
    const struct
    {
        LookupError error;
        bool needsToken;
    } cases[] = {
        { LookupError::missingToken(), true },
        { LookupError::unauthorized(), true },
        { LookupError::rateLimited(), false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error.what());
        services->onLookup = [error = c.error](const QString &) -> QList<ReleaseCandidate> { throw error; };
        open(AddMode::scan);
        state().setBarcodeText(u"4006381333931"_s);
        key(Qt::Key_Return);
        waitIdle();
        EXPECT_EQ(state().status(),
            AddRecordState::Status::failure(QString::fromUtf8(c.error.what()), c.needsToken));
        EXPECT_EQ(state().phase(), Phase::lookup);
        EXPECT_EQ(shown("statusOpenSettings"), c.needsToken);
        EXPECT_TRUE(button("lookUpButton")->isEnabled());
        QSignalSpy settingsRequested(sheet.get(), &AddRecordSheet::openSettingsRequested);
        if (c.needsToken) {
            shownButton("statusOpenSettings")->click();
            EXPECT_EQ(settingsRequested.size(), 1);
        }
    }
}

TEST_F(AddRecordSheetTest, CameraCodeGoesToCandidatesWithOneLookup)
{
    services->onLookup = [](const QString &) { return QList { candidate(u"7"_s, u"Kind of Blue"_s) }; };
    open(AddMode::scan);
    EXPECT_EQ(camera.cameras->configured, QStringList { u"cam-1"_s });
    EXPECT_TRUE(sheet->scanner()->isRunning());
    EXPECT_EQ(sheet->findChild<AddRecordCameraPane *>()->cameraAreaPage(), u"preview"_s);

    // Two analysed frames with the same code confirm it.
    camera.frame(*sheet->scanner(), u"4006381333931"_s);
    camera.frame(*sheet->scanner(), u"4006381333931"_s);
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::results; }, 5000));
    EXPECT_EQ(chimes, 1);
    EXPECT_EQ(state().barcodeText(), u"4006381333931"_s);
    EXPECT_EQ(services->calls(services->lookups), QStringList { u"4006381333931"_s });
    // Leaving the lookup phase stops the camera.
    EXPECT_FALSE(sheet->scanner()->isRunning());

    button("resultsBackButton")->click();
    EXPECT_EQ(state().phase(), Phase::lookup);
    EXPECT_TRUE(state().candidates().isEmpty());
    EXPECT_TRUE(sheet->scanner()->isRunning());
}

TEST_F(AddRecordSheetTest, AnUnknownCodeInFrontOfTheCameraIsNotLookedUpAgainAndAgain)
{
    open(AddMode::scan);
    const QString unknown = u"4006381333931"_s;
    sheet->detected(unknown);
    waitIdle();
    EXPECT_EQ(state().status().kind, Kind::info);
    EXPECT_EQ(state().status().message, u"No releases found for barcode 4006381333931."_s);
    // The camera is re-armed after the empty answer.
    EXPECT_FALSE(sheet->scanner()->detectedCode().has_value());

    sheet->detected(unknown);
    settle();
    EXPECT_EQ(services->calls(services->lookups).size(), 1);
    EXPECT_EQ(state().status().kind, Kind::info);

    now += std::chrono::seconds(3);
    sheet->detected(unknown);
    waitIdle();
    EXPECT_EQ(services->calls(services->lookups).size(), 2);

    // Another code in between lifts the pause.
    sheet->detected(u"036000291452"_s);
    waitIdle();
    sheet->detected(unknown);
    waitIdle();
    EXPECT_EQ(services->calls(services->lookups).size(), 4);

    // So does editing the field.
    type(sheet->findChild<AddRecordCameraPane *>()->barcodeField(), u"1"_s);
    sheet->detected(unknown);
    waitIdle();
    EXPECT_EQ(services->calls(services->lookups).size(), 5);
}

TEST_F(AddRecordSheetTest, NoCameraState)
{
    open(AddMode::scan, { { u"VORLA_NO_CAMERA"_s, u"1"_s } }, {});
    auto *pane = sheet->findChild<AddRecordCameraPane *>();
    EXPECT_EQ(pane->cameraAreaPage(), u"noCamera"_s);
    EXPECT_EQ(find<QLabel>("cameraMessageTitle")->text(), u"No camera found"_s);
    EXPECT_TRUE(camera.cameras->configured.isEmpty());
    EXPECT_EQ(camera.cameras->stops, 0);
    EXPECT_EQ(pane->cameraMenuButton()->text(), u"Camera"_s);
    QStringList items;
    for (QAction *action : pane->cameraMenu()->actions())
        items.append(action->text());
    EXPECT_EQ(items, (QStringList { u"No cameras available"_s, QString(), u"Refresh Camera List"_s }));
    // Typing a barcode still works.
    EXPECT_TRUE(sheet->findChild<AddRecordCameraPane *>()->barcodeField()->isEnabled());
    EXPECT_EQ(find<QLabel>("scanHint")->text(), u"Hold the barcode inside the frame"_s);

    // Any other value does not count.
    open(AddMode::scan, { { u"VORLA_NO_CAMERA"_s, u"true"_s } }, {});
    EXPECT_EQ(sheet->scanner()->errorMessage(), u"No camera found."_s);
    EXPECT_EQ(find<QLabel>("scanHint")->text(), u"No camera found."_s);
}

TEST_F(AddRecordSheetTest, CameraAccessDecidesWhatTheBoxShows)
{
    const struct
    {
        CameraAuthorization access;
        const char *page;
        bool started;
    } cases[] = {
        { CameraAuthorization::denied, "denied", false },
        { CameraAuthorization::restricted, "denied", false },
        { CameraAuthorization::notDetermined, "notDetermined", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.page);
        camera.access = c.access;
        open(AddMode::scan);
        auto *pane = sheet->findChild<AddRecordCameraPane *>();
        EXPECT_EQ(pane->cameraAreaPage(), QString::fromLatin1(c.page));
        EXPECT_EQ(shown("enableCamera"), c.access == CameraAuthorization::notDetermined);
        // A denied camera is stopped; the others are asked to start (and refuse themselves).
        EXPECT_EQ(camera.cameras->stops > 0, c.access == CameraAuthorization::denied);
        EXPECT_EQ(sheet->scanner()->isRunning(), c.started);
        EXPECT_TRUE(camera.cameras->configured.isEmpty());
    }
}

TEST_F(AddRecordSheetTest, CaptureReadsTheTextInView)
{
    services->onRecognizeFrame = [] { return RecognizedText { { u"Blue Note"_s }, {} }; };
    open(AddMode::scan);
    find<QToolButton>("targetText")->click();
    EXPECT_TRUE(sheet->scanner()->isRunning());
    EXPECT_FALSE(sheet->scanner()->readsBarcodes());
    EXPECT_TRUE(button("capture")->isEnabled());
    state().setQueryText(u"kept"_s);

    key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(state().isReadingText());
    EXPECT_FALSE(button("capture")->isEnabled());
    camera.frame(*sheet->scanner(), QString());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !state().isReadingText(); }, 5000));
    EXPECT_EQ(services->frames.load(), 1);
    EXPECT_EQ(chimes, 1);
    EXPECT_EQ(state().recognized(), (RecognizedText { { u"Blue Note"_s }, {} }));
    // No catalog number: the query stays as it was.
    EXPECT_EQ(state().queryText(), u"kept"_s);

    // Without a running camera there is no picture to read.
    sheet->scanner()->stop();
    sheet->captureText();
    EXPECT_EQ(state().status(),
        AddRecordState::Status::failure(
            u"The camera didn't deliver a picture. Try again, or choose another camera."_s, false));
    EXPECT_FALSE(state().isReadingText());
}

TEST_F(AddRecordSheetTest, ManualModeAndSwitchingModes)
{
    open(AddMode::manual);
    EXPECT_EQ(state().phase(), Phase::editing);
    EXPECT_TRUE(shown("modePicker"));
    EXPECT_FALSE(shown("editingBackButton"));
    EXPECT_EQ(button("addNextButton")->text(), u"Add && New"_s);
    EXPECT_FALSE(button("addButton")->isEnabled());
    EXPECT_FALSE(button("addNextButton")->isEnabled());
    // The camera is not opened outside the scan mode.
    EXPECT_TRUE(camera.cameras->configured.isEmpty());

    type(find("titleField"), u" "_s);
    EXPECT_FALSE(button("addButton")->isEnabled());
    type(find("titleField"), u"x"_s);
    EXPECT_TRUE(button("addButton")->isEnabled());

    find<QToolButton>("modeSearch")->click();
    EXPECT_EQ(state().phase(), Phase::lookup);
    EXPECT_TRUE(shown("searchPane"));
    find<QToolButton>("modeManual")->click();
    EXPECT_EQ(state().phase(), Phase::editing);
    EXPECT_EQ(find<QLineEdit>("titleField")->text(), u" x"_s);
}

TEST_F(AddRecordSheetTest, CarryOverToTheNextRecord)
{
    services->onSearch = [](const ReleaseQuery &) { return QList { candidate(u"1"_s, u"One"_s) }; };
    open(AddMode::search);
    state().setQueryText(u"one"_s);
    sheet->searchText();
    waitIdle();
    sheet->choose(state().candidates().first());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::editing; }, 5000));
    type(find("locationField"), u"Shelf 3"_s);
    find<QComboBox>("mediaConditionPicker")->setCurrentIndex(2);
    emit find<QComboBox>("mediaConditionPicker")->activated(2);

    // Ctrl+Return adds once and starts over.
    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(context.record(added.first())->location(), u"Shelf 3"_s);
    EXPECT_EQ(state().phase(), Phase::lookup);
    EXPECT_EQ(state().queryText(), QString());
    EXPECT_EQ(state().draft().location, QString());
    EXPECT_TRUE(shown("addedCount"));
    EXPECT_EQ(find<QLabel>("addedCount")->text(), u"✓ 1 added"_s);

    // The next chosen release gets the location and grade; its own values stay.
    services->onDetails = [](const ReleaseCandidate &c) {
        RecordDraft draft = draftFromCandidate(c);
        draft.sleeveCondition = Grading::good;
        return draft;
    };
    state().setQueryText(u"one"_s);
    sheet->searchText();
    waitIdle();
    sheet->choose(state().candidates().first());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::editing; }, 5000));
    EXPECT_EQ(state().draft().location, u"Shelf 3"_s);
    EXPECT_EQ(state().draft().mediaCondition, Grading::nearMint);
    EXPECT_EQ(state().draft().sleeveCondition, Grading::good);

    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(added.size(), 2);

    // Manual mode: the fresh form carries the last record's values at once.
    find<QToolButton>("modeManual")->click();
    ASSERT_EQ(state().phase(), Phase::editing);
    type(find("titleField"), u"By hand"_s);
    type(find("locationField"), u"Crate"_s);
    key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(added.size(), 3);
    EXPECT_EQ(state().phase(), Phase::editing);
    EXPECT_EQ(state().draft().title, QString());
    EXPECT_EQ(state().draft().location, u"Crate"_s);
    EXPECT_EQ(find<QLineEdit>("locationField")->text(), u"Crate"_s);
    EXPECT_EQ(find<QLabel>("addedCount")->text(), u"✓ 3 added"_s);
}

TEST_F(AddRecordSheetTest, DuplicateWarningAndOwnedBadge)
{
    store(u"A"_s, 11, u"0075678123451"_s);
    store(u"B"_s, 11);
    store(u"C"_s, std::nullopt, u"75678123451"_s);
    store(u"D"_s, std::nullopt);
    services->onSearch = [](const ReleaseQuery &) {
        ReleaseCandidate first = candidate(u"11"_s, u"Owned"_s);
        first.year = 1959;
        first.country = u"US"_s;
        first.format = u"Vinyl, LP, Album, Mono"_s;
        first.label = u"Columbia"_s;
        first.catalogNumber = u"CL 1355"_s;
        return QList { first, candidate(u"99"_s, u"New"_s),
            candidate(u"11"_s, u"Other service"_s, MetadataSource::musicBrainz) };
    };
    open(AddMode::search);
    state().setQueryText(u"x"_s);
    sheet->searchText();
    waitIdle();
    auto *list = find<QListWidget>("candidateList");
    ASSERT_EQ(list->count(), 3);
    auto *pane = sheet->findChild<AddRecordResultsPane *>();
    EXPECT_TRUE(pane->isOwned(0));
    EXPECT_FALSE(pane->isOwned(1));
    EXPECT_FALSE(pane->isOwned(2));
    // The rows paint without trouble, badge and all.
    EXPECT_FALSE(list->grab().isNull());

    RecordDraft draft;
    draft.title = u"T"_s;
    state().setDraft(draft);
    EXPECT_EQ(sheet->duplicateWarning(), std::nullopt);
    draft.barcode = u"75678123451"_s;
    state().setDraft(draft);
    EXPECT_EQ(sheet->duplicateWarning(), u"You already have 2 copies of this release."_s);
    draft.barcode.clear();
    draft.discogsReleaseID = 99;
    state().setDraft(draft);
    EXPECT_EQ(sheet->duplicateWarning(), std::nullopt);
    store(u"E"_s, 99);
    EXPECT_EQ(sheet->duplicateWarning(),
        u"You already have this release in your collection. Adding it again creates a second copy."_s);
    draft.discogsReleaseID = 11;
    draft.barcode = u"75678123451"_s;
    state().setDraft(draft);
    EXPECT_EQ(sheet->duplicateWarning(), u"You already have 3 copies of this release."_s);
}

TEST_F(AddRecordSheetTest, DoubleClickChoosesAndNoSelectionChoosesNothing)
{
    services->onSearch = [](const ReleaseQuery &) {
        return QList { candidate(u"1"_s, u"First"_s), candidate(u"2"_s, u"Second"_s) };
    };
    open(AddMode::search);
    state().setQueryText(u"x"_s);
    sheet->searchText();
    waitIdle();
    ASSERT_EQ(state().phase(), Phase::results);

    state().setSelectedCandidate(std::nullopt);
    EXPECT_FALSE(button("useReleaseButton")->isEnabled());
    key(Qt::Key_Return);
    EXPECT_EQ(state().phase(), Phase::results);

    auto *list = find<QListWidget>("candidateList");
    const QRect second = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(state().selectedCandidate(), u"discogs:2"_s);
    EXPECT_EQ(state().phase(), Phase::results);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::editing; }, 5000));
    EXPECT_EQ(services->calls(services->detailRequests), QStringList { u"discogs:2"_s });
}

TEST_F(AddRecordSheetTest, DetailsThatCannotBeFetchedFallBackToTheCandidate)
{
    services->onLookup = [](const QString &) {
        ReleaseCandidate c = candidate(u"3"_s, u"Fallback"_s);
        c.coverURL = QUrl(u"https://example.org/c.jpg"_s);
        return QList { c };
    };
    services->onDetails = [](const ReleaseCandidate &) -> RecordDraft { throw LookupError::http(500); };
    open(AddMode::scan);
    sheet->lookUpBarcode(u"036000291452"_s);
    waitIdle();
    sheet->choose(state().candidates().first());
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().phase() == Phase::editing; }, 5000));
    EXPECT_EQ(state().draft().title, u"Fallback"_s);
    EXPECT_EQ(state().draft().coverImageData, QByteArray("cover"));
    EXPECT_EQ(state().draft().barcode, u"036000291452"_s);
    EXPECT_EQ(state().status().kind, Kind::idle);
    // Back returns to the candidates, and Enter Manually keeps the barcode.
    button("editingBackButton")->click();
    EXPECT_EQ(state().phase(), Phase::results);
    button("enterManuallyButton")->click();
    EXPECT_EQ(state().mode(), AddMode::manual);
    EXPECT_EQ(state().phase(), Phase::editing);
    EXPECT_EQ(state().draft().barcode, u"036000291452"_s);
    EXPECT_EQ(state().draft().title, QString());
}

TEST_F(AddRecordSheetTest, ANewLookupOrClosingDropsTheRunningOne)
{
    services->onLookup = [](const QString &) { return QList { candidate(u"1"_s, u"Late"_s) }; };
    services->onSearch = [](const ReleaseQuery &) { return QList { candidate(u"2"_s, u"Searched"_s) }; };
    services->hold();
    open(AddMode::scan);
    sheet->lookUpBarcode(u"036000291452"_s);
    find<QToolButton>("modeSearch")->click();
    EXPECT_EQ(state().status().kind, Kind::idle);
    state().setQueryText(u"searched"_s);
    sheet->searchText();
    services->open();
    waitIdle();
    settle();
    ASSERT_EQ(state().candidates().size(), 1);
    EXPECT_EQ(state().candidates().first().title, u"Searched"_s);

    // Closed while a lookup waits: nothing arrives afterwards.
    button("resultsBackButton")->click();
    services->hold();
    state().setQueryText(u"again"_s);
    sheet->searchText();
    ASSERT_TRUE(QTest::qWaitFor([this] { return services->calls(services->searches).size() == 2; }, 5000));
    button("cancelButton")->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([this] { return services->sawStop.load(); }, 5000));
    services->open();
    QTest::qWait(50);
    EXPECT_EQ(state().phase(), Phase::lookup);
    EXPECT_TRUE(state().candidates().isEmpty());
    EXPECT_FALSE(sheet->scanner()->isRunning());
}

TEST_F(AddRecordSheetTest, AFailedSaveIsShownAndNothingIsAdded)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lib.store"_s);
    ModelContext fileContext(path);
    open(AddMode::manual, {}, {}, &fileContext);
    type(find("titleField"), u"Kept"_s);
    {
        // Another connection holds the write lock, so the save fails.
        SQLite::Database peer(path.toStdString(), SQLite::OPEN_READWRITE);
        peer.exec("BEGIN EXCLUSIVE");
        button("addButton")->click();
        peer.exec("ROLLBACK");
    }
    EXPECT_TRUE(added.isEmpty());
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(shown("saveFailure"));
    EXPECT_TRUE(fileContext.records().isEmpty());
    EXPECT_EQ(state().addedCount(), 0);
    EXPECT_EQ(state().draft().title, u"Kept"_s);

    button("addButton")->click();
    EXPECT_EQ(added.size(), 1);
    EXPECT_EQ(fileContext.records().size(), 1);
    sheet.reset();
}

TEST_F(AddRecordSheetTest, BarcodesReadFromImages)
{
    const struct
    {
        QStringList codes;
        AddRecordState::Status status;
        QStringList lookups;
    } cases[] = {
        { {}, AddRecordState::Status::info(u"No barcode found in that image."_s), {} },
        { { u"12345"_s, u"4006381333931"_s, u"036000291452"_s },
            AddRecordState::Status::info(u"No releases found for barcode 4006381333931."_s),
            { u"4006381333931"_s } },
        { { u"7612345"_s, u"7612346"_s },
            AddRecordState::Status::info(u"No releases found for barcode 7612345."_s), { u"7612345"_s } },
        { { u"1234"_s },
            AddRecordState::Status::info(u"The code in that image, 1234, is too short to look up."_s),
            {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.codes.join(u',').toStdString());
        services->lookups.clear();
        services->onScanImage = [codes = c.codes](const QString &) { return codes; };
        open(AddMode::scan);
        sheet->scanImage(u"/photos/back.jpg"_s);
        EXPECT_EQ(state().status(), AddRecordState::Status::working(u"Reading barcode from image…"_s));
        ASSERT_TRUE(QTest::qWaitFor([&] { return state().status() == c.status; }, 5000));
        EXPECT_EQ(services->calls(services->lookups), c.lookups);
        EXPECT_TRUE(button("lookUpButton")->isEnabled() || c.codes.isEmpty()
            || c.codes == QStringList { u"1234"_s });
    }

    services->onScanImage = [](const QString &) -> QStringList { throw Error(u"Not an image."_s); };
    open(AddMode::scan);
    sheet->scanImage(u"/photos/back.jpg"_s);
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().status().kind == Kind::failure; }, 5000));
    EXPECT_EQ(state().status().message, u"Couldn't read that image: Not an image."_s);
}

TEST_F(AddRecordSheetTest, TextReadFromAnImageOffersTokens)
{
    services->onRecognizeFile = [](const QString &) {
        return RecognizedText { { u"SD 1361"_s, u"John Coltrane"_s, u"Giant Steps"_s, u"SD-1361"_s },
            { u"SD 1361"_s } };
    };
    services->onSearch = [](const ReleaseQuery &) { return QList<ReleaseCandidate>(); };
    open(AddMode::scan, { { u"VORLA_NO_CAMERA"_s, u"1"_s } }, {});
    state().setStatus(AddRecordState::Status::info(u"old"_s));
    find<QToolButton>("targetText")->click();
    EXPECT_EQ(state().scanTarget(), AddRecordState::ScanTarget::text);
    EXPECT_EQ(state().status().kind, Kind::idle);
    EXPECT_TRUE(shown("textReadingPanel"));
    EXPECT_TRUE(shown("captureInstruction"));
    EXPECT_TRUE(shown("searchButton"));
    EXPECT_FALSE(shown("lookUpButton"));
    EXPECT_TRUE(shown("capture"));
    EXPECT_FALSE(button("capture")->isEnabled());
    EXPECT_EQ(find<QLabel>("scanHint")->text(), u"Hold the spine or label inside the frame, then Capture"_s);

    state().setQueryText(u"typed"_s);
    sheet->scanImage(u"/photos/spine.jpg"_s);
    EXPECT_TRUE(state().isReadingText());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !state().isReadingText(); }, 5000));
    settle();
    EXPECT_EQ(chimes, 1);
    EXPECT_EQ(state().queryText(), u"SD 1361"_s);
    QList<QPushButton *> catalog, lines;
    for (QPushButton *b : sheet->findChildren<QPushButton *>()) {
        if (b->objectName() == u"catalogToken")
            catalog.append(b);
        else if (b->objectName() == u"lineToken")
            lines.append(b);
    }
    ASSERT_EQ(catalog.size(), 1);
    ASSERT_EQ(lines.size(), 2);
    lines.at(0)->click();
    EXPECT_EQ(state().queryText(), u"SD 1361 John Coltrane"_s);
    catalog.at(0)->click();
    EXPECT_EQ(state().queryText(), u"SD 1361"_s);
    state().setQueryText(QString());
    lines.at(1)->click();
    EXPECT_EQ(state().queryText(), u"Giant Steps"_s);

    // Return in the query field runs the search once.
    EXPECT_EQ(QApplication::focusWidget(), find("textQueryField"));
    key(Qt::Key_Return);
    waitIdle();
    EXPECT_EQ(services->calls(services->searches), QStringList { u"Giant Steps"_s });

    // Switching back clears the reading.
    find<QToolButton>("targetBarcode")->click();
    EXPECT_FALSE(state().recognized().has_value());
}

TEST_F(AddRecordSheetTest, APastedPictureIsReadLikeAChosenPhoto)
{
    QString read;
    services->onScanImage = [&read](const QString &path) {
        read = path;
        EXPECT_TRUE(QImage(path).size() == QSize(40, 30));
        return QStringList();
    };
    open(AddMode::scan, { { u"VORLA_NO_CAMERA"_s, u"1"_s } }, {});
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QApplication::clipboard()->setImage(picture);
    QLineEdit *field = sheet->findChild<AddRecordCameraPane *>()->barcodeField();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().status().kind == Kind::info; }, 5000));
    EXPECT_EQ(state().status().message, u"No barcode found in that image."_s);
    EXPECT_TRUE(read.contains(u"vorla-pasted"_s));
    // The picture's file is gone once read.
    EXPECT_FALSE(QFile::exists(read));
    EXPECT_EQ(field->text(), QString());
    QApplication::clipboard()->clear();
}

TEST_F(AddRecordSheetTest, StagingVariablesActOnlyInTheirMode)
{
    services->onRecognizeFile = [](const QString &) { return RecognizedText { { u"CL 1355"_s }, { u"CL 1355"_s } }; };
    const QHash<QString, QString> staged { { u"VORLA_SNAPSHOT_QUERY"_s, u"kind of blue"_s },
        { u"VORLA_SNAPSHOT_READ_TEXT"_s, u"/photos/label.jpg"_s }, { u"VORLA_NO_CAMERA"_s, u"1"_s } };

    open(AddMode::search, staged, {});
    ASSERT_TRUE(QTest::qWaitFor([this] { return services->calls(services->searches).size() == 1; }, 5000));
    EXPECT_EQ(services->calls(services->searches), QStringList { u"kind of blue"_s });
    EXPECT_EQ(state().queryText(), u"kind of blue"_s);
    EXPECT_TRUE(services->calls(services->images).isEmpty());
    EXPECT_EQ(state().scanTarget(), AddRecordState::ScanTarget::barcode);

    open(AddMode::scan, staged, {});
    ASSERT_TRUE(QTest::qWaitFor([this] { return state().recognized().has_value(); }, 5000));
    EXPECT_EQ(state().scanTarget(), AddRecordState::ScanTarget::text);
    EXPECT_EQ(services->calls(services->images), QStringList { u"/photos/label.jpg"_s });
    EXPECT_EQ(state().queryText(), u"CL 1355"_s);
    EXPECT_EQ(services->calls(services->searches).size(), 1);
}

TEST(AddRecordCameraPane, OtherLinesLeaveOutCatalogNumbersAndStopAtSixteen)
{
    RecognizedText text;
    text.catalogNumbers = { u"ABC 123"_s };
    text.lines = { u"ABC-123"_s, u"abc123"_s, u"Side One"_s };
    for (int i = 0; i < 20; ++i)
        text.lines.append(u"line %1"_s.arg(i));
    const QStringList other = AddRecordCameraPane::otherLines(text);
    ASSERT_EQ(other.size(), 16);
    EXPECT_EQ(other.first(), u"Side One"_s);
    EXPECT_EQ(other.last(), u"line 14"_s);
}

TEST(AddRecordResultsPane, DetailsLine)
{
    const struct
    {
        std::optional<qint64> year;
        const char *country;
        const char *format;
        const char *expected;
    } cases[] = {
        { 1959, "\t", "Vinyl, LP ", "1959 · Vinyl, LP" },
        { std::nullopt, " US ", "", "US" },
        { std::nullopt, "", "", "" },
        { 1972, "UK", "LP", "1972 · UK · LP" },
    };
    for (const auto &c : cases) {
        ReleaseCandidate candidate;
        candidate.year = c.year;
        candidate.country = QString::fromUtf8(c.country);
        candidate.format = QString::fromUtf8(c.format);
        EXPECT_EQ(AddRecordResultsPane::detailsLine(candidate), QString::fromUtf8(c.expected));
    }
}

TEST(AddRecordSearchPane, Note)
{
    EXPECT_EQ(AddRecordSearchPane::note(false, false),
        u"Results come from Discogs. Add a Discogs token in Settings to see cover thumbnails in results."_s);
    EXPECT_EQ(AddRecordSearchPane::note(true, true),
        u"Results come from Discogs, falling back to MusicBrainz when Discogs has no match."_s);
}

TEST(AddRecordState, CarryOverFillsOnlyWhatIsEmpty)
{
    const AddRecordState::CarryOver carry { u"Box 2"_s, Grading::veryGood, Grading::notGraded };
    RecordDraft draft;
    draft.sleeveCondition = Grading::fair;
    RecordDraft result = carry.applied(draft);
    EXPECT_EQ(result.location, u"Box 2"_s);
    EXPECT_EQ(result.mediaCondition, Grading::veryGood);
    EXPECT_EQ(result.sleeveCondition, Grading::fair);
    draft.location = u"Mine"_s;
    draft.mediaCondition = Grading::mint;
    result = carry.applied(draft);
    EXPECT_EQ(result.location, u"Mine"_s);
    EXPECT_EQ(result.mediaCondition, Grading::mint);
}
