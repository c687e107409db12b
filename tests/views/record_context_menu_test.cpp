#include "views/record_context_menu.h"

#include "collection_view_fixture.h"

#include "models/model_context.h"
#include "models/record.h"

#include <QMenu>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

Record *addRecord(ModelContext &context, const QString &title)
{
    auto record = std::make_unique<Record>();
    record->setTitle(title);
    return context.insert(std::move(record));
}

QAction *item(const QMenu &menu, const QString &text)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

using Calls = vorla::test::RecordedActions;

} // namespace

TEST(RecordContextMenu, OneRecordOffersEditFavouriteLinkRefreshDelete)
{
    ModelContext context;
    Record *record = addRecord(context, QStringLiteral("Blue Train"));
    Calls calls;
    {
        QMenu menu;
        fillRecordContextMenu(menu, context, {record->id()}, calls.actions());
        EXPECT_EQ(vorla::test::menuTexts(menu), (QStringList{u"Edit…"_s, u"Add to Favorites"_s, u"Refresh Metadata"_s, u"---"_s, u"Delete…"_s}));
        item(menu, QStringLiteral("Add to Favorites"))->trigger();
        EXPECT_TRUE(record->isFavorite());
        item(menu, QStringLiteral("Edit…"))->trigger();
        item(menu, QStringLiteral("Refresh Metadata"))->trigger();
        item(menu, QStringLiteral("Delete…"))->trigger();
    }
    EXPECT_EQ(calls.edited, (QList<QUuid>{record->id()}));
    EXPECT_EQ(calls.refreshed, (QList<QUuid>{record->id()}));
    EXPECT_EQ(calls.deleted, (QList<QUuid>{record->id()}));
    // Nothing is deleted by the menu itself.
    EXPECT_NE(context.record(record->id()), nullptr);

    QMenu again;
    fillRecordContextMenu(again, context, {record->id()}, calls.actions());
    item(again, QStringLiteral("Remove from Favorites"))->trigger();
    EXPECT_FALSE(record->isFavorite());
}

TEST(RecordContextMenu, LinkNamesTheSourceOnlyForWebAddresses)
{
    ModelContext context;
    Record *record = addRecord(context, QStringLiteral("x"));
    Calls calls; // with an editor, so the menu's places are the full ones
    const struct {
        const char *url;
        std::optional<qint64> discogs;
        std::optional<QString> musicBrainz;
        const char *expected; // null: no link
    } cases[] = {
        {"https://www.discogs.com/release/1", 1, std::nullopt, "Open on Discogs"},
        {"https://musicbrainz.org/release/abc", std::nullopt, QStringLiteral("abc"), "Open on MusicBrainz"},
        {"https://example.com/release/2", std::nullopt, std::nullopt, "Open on Web"},
        {"not a url at all", 1, std::nullopt, nullptr},
        {"file:///etc/passwd", 1, std::nullopt, nullptr},
        {"", std::nullopt, std::nullopt, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url);
        record->setSourceURL(*c.url ? std::optional<QString>(QString::fromUtf8(c.url)) : std::nullopt);
        record->setDiscogsReleaseID(c.discogs);
        record->setMusicBrainzID(c.musicBrainz);
        QMenu menu;
        fillRecordContextMenu(menu, context, {record->id()}, calls.actions());
        const QStringList texts = vorla::test::menuTexts(menu);
        if (c.expected) {
            ASSERT_EQ(texts.size(), 6);
            EXPECT_EQ(texts[2], QString::fromUtf8(c.expected));
            EXPECT_EQ(menu.actions()[2]->data().toUrl(), QUrl(QString::fromUtf8(c.url)));
        } else {
            EXPECT_EQ(texts.size(), 5);
        }
    }
}

TEST(RecordContextMenu, SeveralRecordsOnlyAddFavourites)
{
    ModelContext context;
    Record *a = addRecord(context, QStringLiteral("a"));
    Record *b = addRecord(context, QStringLiteral("b"));
    b->setIsFavorite(true);
    Calls calls;
    QMenu menu;
    fillRecordContextMenu(menu, context, {b->id(), a->id()}, calls.actions());
    EXPECT_EQ(vorla::test::menuTexts(menu), (QStringList{u"Add to Favorites"_s, u"Refresh Metadata"_s, u"---"_s, u"Delete 2 Records…"_s}));
    item(menu, QStringLiteral("Add to Favorites"))->trigger();
    EXPECT_TRUE(a->isFavorite());
    EXPECT_TRUE(b->isFavorite());
    item(menu, QStringLiteral("Delete 2 Records…"))->trigger();
    EXPECT_EQ(calls.deleted, (QList<QUuid>{b->id(), a->id()}));

    // A record deleted while the menu is open is skipped.
    context.remove(a->id());
    b->setIsFavorite(false);
    item(menu, QStringLiteral("Add to Favorites"))->trigger();
    EXPECT_TRUE(b->isFavorite());
}

TEST(RecordContextMenu, CommandsNotBuiltYetAreLeftOut)
{
    ModelContext context;
    Record *record = context.insert(std::make_unique<Record>());
    vorla::test::RecordedActions calls;
    RecordActions actions = calls.actions();
    actions.edit = nullptr;
    QMenu menu;
    fillRecordContextMenu(menu, context, { record->id() }, actions);
    EXPECT_FALSE(vorla::test::menuTexts(menu).contains(u"Edit…"_s));
    EXPECT_TRUE(vorla::test::menuTexts(menu).contains(u"Add to Favorites"_s));
}
