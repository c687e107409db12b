#include "views/batch_sheet_fixture.h"

#include "views/batch_item_row.h"
#include "views/components/cover_views.h"

#include <QComboBox>
#include <QGraphicsEffect>

using namespace vorla;
using namespace vorla::test;
using Status = BatchItem::Status;

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

ReleaseCandidate pressing(const char *id, std::optional<qint64> year, const char *country,
    const char *label, const char *number)
{
    ReleaseCandidate c = candidate(u8(id), u8("Ana Lua"), u8("Low Harbour"), u8(number));
    c.year = year;
    c.country = u8(country);
    c.label = u8(label);
    c.format = u8("Vinyl, LP, Album");
    return c;
}

} // namespace

class BatchItemRowTest : public BatchSheetTest
{
protected:
    BatchItemRow &row(const BatchItem &shown)
    {
        matcher.setItems({ shown });
        m_row = std::make_unique<BatchItemRow>(&matcher, shown.id, nullptr, nullptr);
        m_row->show();
        return *m_row;
    }
    bool visible(const char *name) { return find<QWidget>(m_row.get(), name)->isVisibleTo(m_row.get()); }
    QString tip(const char *name) { return find<QWidget>(m_row.get(), name)->toolTip(); }

    std::unique_ptr<BatchItemRow> m_row;
};

TEST(BatchItemRowText, DetailsAndPickerLabelsLeaveOutWhatIsMissing)
{
    const ReleaseCandidate full = pressing("1", 1979, "UK", " First Label\t", "FL 101");
    EXPECT_EQ(BatchItemRow::details(full), u8("1979 · UK · Vinyl, LP, Album · First Label FL 101"));
    EXPECT_EQ(BatchItemRow::pickerLabel(full), u8("1979 · UK · FL 101"));
    ReleaseCandidate bare = pressing("2", std::nullopt, "", "", " ");
    EXPECT_EQ(BatchItemRow::pickerLabel(bare), QString());
    EXPECT_EQ(BatchItemRow::details(bare), u8("Vinyl, LP, Album"));
    bare.label = u8("Label");
    EXPECT_EQ(BatchItemRow::details(bare), u8("Vinyl, LP, Album · Label"));
}

TEST_F(BatchItemRowTest, StatusesShowTheirIconHelpAndPlaceholder)
{
    const struct
    {
        Status status;
        const char *symbol;
        const char *help;
        const char *placeholder;
    } cases[] = {
        { Status::pending(), "clock", "Waiting", "Waiting to search…" },
        { Status::matched(), "checkmark.circle.fill", "Confident match", "Will be added as typed" },
        { Status::needsReview(), "questionmark.circle.fill", "Check the pressing",
            "Will be added as typed" },
        { Status::notFound(), "xmark.circle", "No match found",
            "No match. Switch on to add it as typed, then edit it later." },
        { Status::failed(u8("The network is offline.")), "exclamationmark.triangle.fill",
            "The network is offline.", "The network is offline." },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.symbol);
        row(item("typed", c.status));
        auto *icon = find<QWidget>(m_row.get(), "statusIcon");
        EXPECT_EQ(icon->property("symbol").toString(), u8(c.symbol));
        EXPECT_EQ(icon->toolTip(), u8(c.help));
        EXPECT_EQ(text(m_row.get(), "placeholder"), u8(c.placeholder));
        EXPECT_FALSE(visible("searchingIndicator"));
        EXPECT_EQ(visible("retry"), c.status.kind == Kind::failed);
        EXPECT_EQ(tip("include"), u8("Add this line as typed, without a match"));
    }
    row(item("typed", Status::searching()));
    EXPECT_TRUE(visible("searchingIndicator"));
    EXPECT_FALSE(visible("statusIcon"));
    EXPECT_EQ(text(m_row.get(), "placeholder"), u8("Searching…"));

    BatchItem photoItem = item("shelf.jpg · spine 1: Ana Lua", Status::needsReview());
    photoItem.evidence = PhotoEvidence {};
    row(photoItem);
    EXPECT_EQ(tip("statusIcon"), u8("Possible match: the photo doesn't confirm it. Tick to add."));
}

TEST_F(BatchItemRowTest, UnsettledItemsKeepFullOpacityAndALockedSwitch)
{
    row(item("typed", Status::pending(), false));
    EXPECT_FALSE(find<QWidget>(m_row.get(), "include")->isEnabled());
    EXPECT_EQ(m_row->graphicsEffect(), nullptr);
    row(item("typed", Status::notFound(), false));
    EXPECT_TRUE(find<QWidget>(m_row.get(), "include")->isEnabled());
    ASSERT_NE(m_row->graphicsEffect(), nullptr);
    find<QAbstractButton>(m_row.get(), "include")->click();
    EXPECT_TRUE(matcher.items().first().include);
    m_row->refresh();
    EXPECT_EQ(m_row->graphicsEffect(), nullptr);
}

TEST_F(BatchItemRowTest, ChoosingNoMatchShowsTheLineAsTyped)
{
    BatchItem matched = item("Ana Lua - Low Harbour", Status::matched(), true,
        { pressing("1", 1979, "UK", "Harbour", "HR 1"), pressing("2", 1980, "US", "Harbour", "HR 2"),
            pressing("3", 1990, "DE", "Harbour", "HR 3") });
    row(matched);
    EXPECT_EQ(text(m_row.get(), "title"), u8("Ana Lua — Low Harbour"));
    EXPECT_EQ(text(m_row.get(), "details"), u8("1979 · UK · Vinyl, LP, Album · Harbour HR 1"));
    EXPECT_EQ(text(m_row.get(), "hint"),
        u8("Most common pressing, 2 others. Add the catalog number to pin it down."));
    EXPECT_EQ(tip("include"), u8("Add this record"));
    EXPECT_EQ(tip("picker"), u8("3 possible pressings"));
    auto *picker = find<QComboBox>(m_row.get(), "picker");
    // Three pressings, a divider, and "no match".
    ASSERT_EQ(picker->count(), 5);
    EXPECT_EQ(picker->itemText(4), u8("No match: add as typed"));
    EXPECT_EQ(picker->itemText(1), u8("1980 · US · HR 2"));

    picker->setCurrentIndex(4);
    emit picker->activated(4);
    EXPECT_EQ(matcher.items().first().chosenID, std::nullopt);
    m_row->refresh();
    EXPECT_FALSE(visible("title"));
    EXPECT_FALSE(visible("details"));
    EXPECT_FALSE(visible("hint"));
    EXPECT_EQ(text(m_row.get(), "placeholder"), u8("Will be added as typed"));
    EXPECT_EQ(find<DataCover>(m_row.get(), "thumbnail")->seed(), u8("Ana Lua - Low Harbour"));
    EXPECT_EQ(tip("include"), u8("Add this line as typed, without a match"));
}

TEST_F(BatchItemRowTest, TheHintAppearsOnlyForTypedLinesWithoutACatalogNumber)
{
    const ReleaseCandidate a = pressing("1", 1979, "UK", "Harbour", "HR 1");
    const ReleaseCandidate b = pressing("2", 1980, "US", "Harbour", "HR 2");
    row(item("Ana Lua - Low Harbour", Status::matched(), true, { a, b }));
    EXPECT_EQ(text(m_row.get(), "hint"),
        u8("Most common pressing, 1 other. Add the catalog number to pin it down."));
    row(item("Ana Lua - Low Harbour - HR 1", Status::matched(), true, { a, b }));
    EXPECT_FALSE(visible("hint"));
    BatchItem photoItem = item("shelf.jpg · spine 1", Status::matched(), true, { a, b });
    photoItem.evidence = PhotoEvidence {};
    row(photoItem);
    EXPECT_FALSE(visible("hint"));
    EXPECT_EQ(tip("statusIcon"), u8("Confirmed by the photo"));
    row(item("Ana Lua - Low Harbour", Status::matched(), true, { a }));
    EXPECT_FALSE(visible("hint"));
}

TEST_F(BatchItemRowTest, BadgesAndTheUndoButton)
{
    row(added("Low Harbour"));
    EXPECT_EQ(text(m_row.get(), "badge"), u8("Added"));
    EXPECT_TRUE(visible("undo"));
    EXPECT_FALSE(visible("picker"));
    EXPECT_FALSE(find<QWidget>(m_row.get(), "include")->isEnabled());

    BatchItem owned = item("Low Harbour", Status::matched(), true,
        { pressing("1", 1979, "UK", "Harbour", "HR 1") });
    owned.alreadyOwned = true;
    row(owned);
    EXPECT_EQ(text(m_row.get(), "badge"), u8("In Collection"));
    EXPECT_FALSE(visible("undo"));
}

TEST_F(BatchItemRowTest, AFailedRetryThatKeptTheEarlierChoiceSaysSo)
{
    row(item("Low Harbour", Status::failed(u8("The network is offline.")), true,
        { pressing("1", 1979, "UK", "Harbour", "HR 1") }));
    EXPECT_TRUE(visible("title"));
    EXPECT_TRUE(visible("earlierChoice"));
    EXPECT_EQ(text(m_row.get(), "earlierChoice"),
        u8("The network is offline. The pressing shown was chosen before."));
    EXPECT_TRUE(visible("picker"));
    row(item("Low Harbour", Status::failed(u8("The network is offline."))));
    EXPECT_FALSE(visible("earlierChoice"));
    EXPECT_TRUE(visible("retry"));
    find<QAbstractButton>(m_row.get(), "retry")->click();
    EXPECT_NE(matcher.items().first().status.kind, Kind::failed);
    ASSERT_TRUE(waitUntilIdle());
}
