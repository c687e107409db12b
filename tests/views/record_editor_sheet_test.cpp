#include "views/record_editor_sheet.h"

#include "library_fixture.h"

#include "views/components/comma_separated_field.h"
#include "views/cover_editor.h"
#include "views/record_editor_form.h"

#include <QLineEdit>
#include <QPushButton>

using namespace vorla;
using namespace vorla::test;

namespace {

class RecordEditorSheetTest : public LibraryTest
{
protected:
    QWidget window;

    RecordEditorSheetTest()
    {
        window.resize(1000, 800);
        window.show();
    }
    std::unique_ptr<RecordEditorSheet> open(Record *record)
    {
        auto sheet
            = std::make_unique<RecordEditorSheet>(context.get(), record->id(), settings, &window);
        sheet->open();
        return sheet;
    }
    template <typename T = QLineEdit> static T *field(QWidget &sheet, const char *name)
    {
        T *found = sheet.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void type(QLineEdit *edit, const QString &text)
    {
        edit->selectAll();
        edit->insert(text);
    }
    static QPushButton *saveButton(QWidget &sheet)
    {
        return field<QPushButton>(sheet, "saveButton");
    }
    Record *sample()
    {
        Record *record = add(QStringLiteral("Tago Mago"), QStringLiteral("Can"));
        record->setGenres({ QStringLiteral("Folk, World, & Country") });
        record->setLabel(QStringLiteral("United Artists"));
        record->setRating(3);
        context->save();
        return record;
    }
};

} // namespace

TEST_F(RecordEditorSheetTest, IsAWindowModalSheetOfItsSize)
{
    auto sheet = open(sample());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->size(), QSize(640, 720));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(saveButton(*sheet)->isDefault());
}

TEST_F(RecordEditorSheetTest, SaveNeedsATitleOrAnArtist)
{
    auto sheet = open(sample());
    QLineEdit *title = field(*sheet, "titleField");
    QLineEdit *artist = field(*sheet, "artistField");
    const struct
    {
        const char *title;
        const char *artist;
        bool enabled;
    } cases[] = {
        { "", "", false },
        { "  \t ", " ", false },
        { "x", "", true },
        { "", "y", true },
        // Only spaces and tabs are trimmed, so a line break counts.
        { "\n", "", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        type(title, QString::fromUtf8(c.title));
        type(artist, QString::fromUtf8(c.artist));
        EXPECT_EQ(saveButton(*sheet)->isEnabled(), c.enabled);
    }
}

TEST_F(RecordEditorSheetTest, ReturnSavesOnlyWhileSaveIsEnabled)
{
    Record *record = sample();
    auto sheet = open(record);
    QLineEdit *title = field(*sheet, "titleField");
    type(title, QString());
    type(field(*sheet, "artistField"), QString());
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_TRUE(sheet->isVisible());
    type(title, QStringLiteral("Renamed"));
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(record->title(), QStringLiteral("Renamed"));
    EXPECT_EQ(record->artist(), QString());
}

TEST_F(RecordEditorSheetTest, EscapeDropsEveryChangeEvenANewCover)
{
    Record *record = sample();
    auto sheet = open(record);
    type(field(*sheet, "titleField"), QStringLiteral("Not kept"));
    CoverEditor *cover = sheet->form()->coverEditor();
    cover->takeImageData(encodedImage(50, 50));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheet->form()->isBusy(); }, 5000));
    ASSERT_TRUE(sheet->form()->draft().coverChanged);
    QTest::keyClick(sheet.get(), Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(record->title(), QStringLiteral("Tago Mago"));
    EXPECT_FALSE(record->hasCoverImageData());
    EXPECT_FALSE(context->hasChanges());
}

TEST_F(RecordEditorSheetTest, SaveWritesTheEditsAndTheContextSavesThem)
{
    Record *record = sample();
    auto sheet = open(record);
    type(field(*sheet, "titleField"), QStringLiteral("  Ege Bamyasi\t"));
    type(field(*sheet, "yearField"), QStringLiteral("1972"));
    sheet->form()->coverEditor()->takeImageData(encodedImage(1600, 1600, "PNG", Qt::blue));
    // Saving while the image is still being reduced would lose it, and while it is being
    // prepared for storing it would be decoded again on the GUI thread.
    EXPECT_FALSE(saveButton(*sheet)->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return saveButton(*sheet)->isEnabled(); }, 5000));
    const QByteArray taken = *sheet->form()->draft().coverImageData;
    saveButton(*sheet)->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(record->title(), QStringLiteral("Ege Bamyasi"));
    EXPECT_EQ(record->coverRevision(), 1);
    expectStored(record->id(),
        [](const Record &stored) { EXPECT_EQ(stored.title(), QStringLiteral("Tago Mago")); });
    expectSaved(record->id(), [&taken](const Record &stored) {
        EXPECT_EQ(stored.title(), QStringLiteral("Ege Bamyasi"));
        EXPECT_EQ(stored.year(), 1972);
        EXPECT_EQ(stored.artist(), QStringLiteral("Can"));
        EXPECT_EQ(stored.genres(), QStringList { QStringLiteral("Folk, World, & Country") });
        EXPECT_EQ(stored.rating(), 3);
        ASSERT_TRUE(stored.hasCoverImageData());
        EXPECT_LE(QImage::fromData(*stored.coverImageData()).width(), 1200);
        EXPECT_TRUE(stored.hasThumbnailData());
        // The same bytes as storing the taken image directly.
        Record direct;
        direct.setCover(taken);
        EXPECT_EQ(stored.coverImageData(), direct.coverImageData());
        EXPECT_EQ(stored.thumbnailData(), direct.thumbnailData());
    });
}

TEST_F(RecordEditorSheetTest, SaveUnchangedKeepsEveryValue)
{
    Record *record = sample();
    record->setCover(encodedImage(80, 80, "JPEG"));
    record->setTracks({ { QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("One"), {} } });
    context->save();
    const QByteArray tracklist = *record->tracklistData();
    auto sheet = open(record);
    saveButton(*sheet)->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(record->coverRevision(), 1);
    EXPECT_EQ(record->tracklistData(), tracklist);
    EXPECT_EQ(record->genres(), QStringList { QStringLiteral("Folk, World, & Country") });
    EXPECT_FALSE(context->hasChanges());
}

TEST_F(RecordEditorSheetTest, SaveKeepsWhatARefreshBroughtMeanwhile)
{
    Record *record = sample();
    auto sheet = open(record);
    type(field(*sheet, "titleField"), QStringLiteral("Edited title"));
    type(field(*sheet, "locationField"), QStringLiteral("Crate 4"));

    // A background refresh lands while the sheet is open.
    RecordDraft refreshed;
    refreshed.title = QStringLiteral("Refreshed title");
    refreshed.label = QStringLiteral("Spoon");
    refreshed.genres = { QStringLiteral("Rock"), QStringLiteral("Electronic") };
    refreshed.tracks = { { QUuid::createUuid(), QStringLiteral("A1"), QStringLiteral("Paperhouse"),
        QStringLiteral("7:29") } };
    refreshed.discogsReleaseID = 1234;
    refreshed.musicBrainzID = QStringLiteral("mb-1");
    refreshed.sourceURL = QStringLiteral("https://www.discogs.com/release/1234");
    record->applyReleaseMetadata(refreshed);

    saveButton(*sheet)->click();
    EXPECT_EQ(record->title(), QStringLiteral("Edited title"));
    EXPECT_EQ(record->location(), QStringLiteral("Crate 4"));
    EXPECT_EQ(record->label(), QStringLiteral("Spoon"));
    EXPECT_EQ(record->genres(), refreshed.genres);
    ASSERT_EQ(record->tracks().size(), 1);
    EXPECT_EQ(record->tracks().first().title, QStringLiteral("Paperhouse"));
    EXPECT_EQ(record->discogsReleaseID(), 1234);
    EXPECT_EQ(record->musicBrainzID(), QStringLiteral("mb-1"));
    EXPECT_EQ(record->sourceURL(), refreshed.sourceURL);
}

TEST_F(RecordEditorSheetTest, SaveAfterTheRecordWasDeletedWritesNothing)
{
    Record *record = sample();
    const QUuid id = record->id();
    auto sheet = open(record);
    type(field(*sheet, "titleField"), QStringLiteral("Ghost"));
    context->remove(id);
    context->save();
    saveButton(*sheet)->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(context->record(id), nullptr);
    EXPECT_FALSE(context->hasChanges());
}
