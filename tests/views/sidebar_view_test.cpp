#include "views/sidebar_view.h"
#include "views/browsing_state.h"

#include "isolated_settings.h"

#include "app/app_state.h"
#include "app/metadata_refresher.h"
#include "models/model_context.h"
#include "models/record.h"
#include "views/main_window.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace vorla;

namespace {

// "title count" for every row of a section.
QStringList rows(const SidebarView &sidebar, const QString &section)
{
    QStringList result;
    for (int s = 0; s < sidebar.topLevelItemCount(); ++s) {
        const QTreeWidgetItem *header = sidebar.topLevelItem(s);
        if (header->text(0) != section)
            continue;
        for (int r = 0; r < header->childCount(); ++r)
            result.append(header->child(r)->text(0) + u' '
                + QString::number(header->child(r)->data(0, SidebarView::CountRole).toLongLong()));
    }
    return result;
}

std::optional<SidebarItem> highlighted(const SidebarView &sidebar)
{
    const QTreeWidgetItem *row = sidebar.currentItem();
    if (!row || !row->isSelected())
        return std::nullopt;
    return row->data(0, SidebarView::ItemRole).value<SidebarItem>();
}

std::unique_ptr<Record> record(
    const QStringList &genres, std::optional<int> year, bool favorite = false)
{
    auto made = std::make_unique<Record>();
    made->setGenres(genres);
    made->setYear(year);
    made->setIsFavorite(favorite);
    return made;
}

} // namespace

TEST(SidebarView, EmptyLibraryShowsTheLibrarySectionWithItsSymbols)
{
    SidebarView sidebar;
    EXPECT_EQ(sidebar.sectionTitles(), QStringList { u"Library"_s });
    EXPECT_EQ(rows(sidebar, QStringLiteral("Library")),
        (QStringList { u"All Records 0"_s, u"Favorites 0"_s, u"Recently Added 0"_s, u"Not Graded 0"_s }));
    EXPECT_EQ(highlighted(sidebar), SidebarItem::all());
    const QTreeWidgetItem *library = sidebar.topLevelItem(0);
    for (int r = 0; r < library->childCount(); ++r) {
        SCOPED_TRACE(library->child(r)->text(0).toStdString());
        EXPECT_FALSE(library->child(r)->icon(0).isNull());
    }
}

TEST(SidebarView, SectionsListGenresByCountAndDecadesNewestFirst)
{
    ModelContext context;
    context.insert(record({ u"Rock"_s, u"Jazz"_s }, 1994, true));
    context.insert(record({ u"Jazz"_s }, 2015));
    context.insert(record({ u"Rock"_s }, 1999));
    context.insert(record({ u"Blues"_s }, std::nullopt));
    SidebarView sidebar;
    sidebar.setCounts(sidebarCounts(context.records(), QDateTime::currentDateTimeUtc()));
    EXPECT_EQ(sidebar.sectionTitles(), (QStringList { u"Library"_s, u"Genres"_s, u"Decades"_s }));
    EXPECT_EQ(rows(sidebar, QStringLiteral("Library")),
        (QStringList { u"All Records 4"_s, u"Favorites 1"_s, u"Recently Added 4"_s, u"Not Graded 4"_s }));
    EXPECT_EQ(
        rows(sidebar, QStringLiteral("Genres")), (QStringList { u"Jazz 2"_s, u"Rock 2"_s, u"Blues 1"_s }));
    EXPECT_EQ(rows(sidebar, QStringLiteral("Decades")), (QStringList { u"2010s 1"_s, u"1990s 2"_s }));
    for (const SidebarItem &item :
        { SidebarItem::ofGenre(QStringLiteral("Jazz")), SidebarItem::ofDecade(1990) }) {
        ASSERT_NE(sidebar.rowFor(item), nullptr);
        EXPECT_FALSE(sidebar.rowFor(item)->icon(0).isNull());
    }
    // New counts keep each symbol's icon, and with it the pictures it has rendered.
    const SidebarItem jazz = SidebarItem::ofGenre(QStringLiteral("Jazz"));
    const qint64 before = sidebar.rowFor(jazz)->icon(0).cacheKey();
    context.insert(record({ u"Jazz"_s }, 1961));
    sidebar.setCounts(sidebarCounts(context.records(), QDateTime::currentDateTimeUtc()));
    EXPECT_EQ(sidebar.rowFor(jazz)->icon(0).cacheKey(), before);
    EXPECT_EQ(sidebar.rowFor(SidebarItem::ofGenre(QStringLiteral("Rock")))->icon(0).cacheKey(), before);
}

TEST(SidebarView, ChoiceStaysWhileTheCountsChange)
{
    ModelContext context;
    Record *jazz = context.insert(record({ u"Jazz"_s }, 1959));
    context.insert(record({ u"Rock"_s }, 1971));
    SidebarView sidebar;
    QSignalSpy picked(&sidebar, &SidebarView::choiceChanged);
    const auto recount = [&] {
        sidebar.setCounts(sidebarCounts(context.records(), QDateTime::currentDateTimeUtc()));
    };
    recount();
    const SidebarItem choice = SidebarItem::ofGenre(QStringLiteral("Jazz"));
    sidebar.setChoice(choice);
    EXPECT_EQ(highlighted(sidebar), choice);

    context.insert(record({ u"Rock"_s }, 1972));
    recount();
    EXPECT_EQ(highlighted(sidebar), choice);

    // The genre's last record goes: its row goes, the choice stays and comes back with it.
    jazz->setGenres({});
    recount();
    EXPECT_EQ(sidebar.rowFor(choice), nullptr);
    EXPECT_FALSE(highlighted(sidebar).has_value());
    EXPECT_EQ(sidebar.choice(), choice);
    jazz->setGenres({ QStringLiteral("Jazz") });
    recount();
    EXPECT_EQ(highlighted(sidebar), choice);
    EXPECT_EQ(picked.count(), 0);
}

TEST(SidebarView, ClickingARowPicksItAndHeadersPickNothing)
{
    SidebarView sidebar;
    sidebar.resize(220, 400);
    sidebar.show();
    QSignalSpy picked(&sidebar, &SidebarView::choiceChanged);
    const auto click = [&sidebar](QTreeWidgetItem *item) {
        QTest::mouseClick(
            sidebar.viewport(), Qt::LeftButton, {}, sidebar.visualItemRect(item).center());
    };
    click(sidebar.rowFor(SidebarItem::favorites()));
    click(sidebar.topLevelItem(0));
    click(sidebar.rowFor(SidebarItem::favorites()));
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][0].value<SidebarItem>(), SidebarItem::favorites());
    EXPECT_EQ(sidebar.choice(), SidebarItem::favorites());
    QTest::keyClick(&sidebar, Qt::Key_Down);
    EXPECT_EQ(sidebar.choice(), SidebarItem::recent());
}

TEST(SidebarView, HeadersAreNeitherClickedNorReachedByTheArrowKeys)
{
    SidebarCounts counts;
    counts.genres = { { u"Jazz"_s, 2 } };
    counts.decades = { { 1970, 1 } };
    SidebarView sidebar;
    sidebar.setCounts(counts);
    sidebar.resize(220, 400);
    sidebar.show();
    QSignalSpy picked(&sidebar, &SidebarView::choiceChanged);
    const SidebarItem jazz = SidebarItem::ofGenre(u"Jazz"_s);
    sidebar.setChoice(jazz);

    // A click on any header leaves the row highlighted and current.
    for (int s = 0; s < sidebar.topLevelItemCount(); ++s) {
        SCOPED_TRACE(sidebar.topLevelItem(s)->text(0).toStdString());
        QTest::mouseClick(sidebar.viewport(), Qt::LeftButton, {},
            sidebar.visualItemRect(sidebar.topLevelItem(s)).center());
        EXPECT_EQ(highlighted(sidebar), jazz);
        EXPECT_EQ(sidebar.currentItem(), sidebar.rowFor(jazz));
    }
    EXPECT_EQ(picked.count(), 0);
    // Nor does typing a header's name.
    QTest::keyClicks(&sidebar, u"Gen"_s);
    EXPECT_EQ(sidebar.currentItem(), sidebar.rowFor(jazz));
    EXPECT_EQ(picked.count(), 0);

    // The arrow keys step over the headers between sections and stop at the first row.
    const struct {
        SidebarItem from;
        Qt::Key key;
        SidebarItem to;
    } steps[] = {
        { jazz, Qt::Key_Up, SidebarItem::ungraded() },
        { SidebarItem::ungraded(), Qt::Key_Down, jazz },
        { jazz, Qt::Key_Down, SidebarItem::ofDecade(1970) },
        { SidebarItem::all(), Qt::Key_Up, SidebarItem::all() },
        { SidebarItem::ofDecade(1970), Qt::Key_Home, SidebarItem::all() },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(sidebarTitle(step.from).toStdString() + " key " + std::to_string(step.key));
        sidebar.setChoice(step.from);
        QTest::keyClick(&sidebar, step.key);
        EXPECT_EQ(highlighted(sidebar), step.to);
        EXPECT_EQ(sidebar.choice(), step.to);
    }
}

TEST(SidebarView, LongTitlesGiveWayToTheirCountBadge)
{
    SidebarCounts counts;
    counts.genres = { { u"W"_s, 7 }, { QString(80, u'W'), 7 } };
    SidebarView sidebar;
    sidebar.setCounts(counts);
    sidebar.resize(220, 400);
    sidebar.show();
    QCoreApplication::processEvents();
    const QImage shot = sidebar.viewport()->grab().toImage();
    // The badge and the space before it look the same whatever the title's length.
    const auto badgeArea = [&](const QString &genre) {
        const QRect row = sidebar.visualItemRect(sidebar.rowFor(SidebarItem::ofGenre(genre)));
        return shot.copy(QRect(row.right() - 32, row.top(), 33, row.height()));
    };
    ASSERT_FALSE(badgeArea(u"W"_s).isNull());
    EXPECT_EQ(badgeArea(u"W"_s), badgeArea(QString(80, u'W')));
}

TEST(SidebarView, InTheWindowCountsFollowTheRecordsAndIgnoreTheSearch)
{
    test::IsolatedSettings isolatedSettings;
    ModelContext context;
    AppState appState;
    MetadataRefresher refresher { [] { return MetadataRefresher::Lookup(); } };
    Record *first = context.insert(record({ u"Jazz"_s }, 1959));
    MainWindow window(&context, &appState, &refresher);
    auto *sidebar = static_cast<SidebarView *>(window.sidebarView());
    window.show();
    window.browsingState()->setSidebar(SidebarItem::favorites());
    window.browsingState()->setSearchText(QStringLiteral("nothing matches this"));
    QCoreApplication::processEvents();
    EXPECT_EQ(highlighted(*sidebar), SidebarItem::favorites());

    first->setIsFavorite(true);
    context.insert(record({ u"Soul"_s }, 1968, true));
    QCoreApplication::processEvents();
    EXPECT_EQ(rows(*sidebar, QStringLiteral("Library")).first(2),
        (QStringList { u"All Records 2"_s, u"Favorites 2"_s }));
    EXPECT_EQ(rows(*sidebar, QStringLiteral("Genres")), (QStringList { u"Jazz 1"_s, u"Soul 1"_s }));
    EXPECT_EQ(rows(*sidebar, QStringLiteral("Decades")), (QStringList { u"1960s 1"_s, u"1950s 1"_s }));
    EXPECT_EQ(window.browsingState()->sidebar(), SidebarItem::favorites());
    EXPECT_EQ(highlighted(*sidebar), SidebarItem::favorites());

    context.remove(first->id());
    QCoreApplication::processEvents();
    EXPECT_EQ(rows(*sidebar, QStringLiteral("Genres")), QStringList { u"Soul 1"_s });
    EXPECT_EQ(highlighted(*sidebar), SidebarItem::favorites());

    // A pick in the sidebar becomes the window's filter and title.
    sidebar->setCurrentItem(sidebar->rowFor(SidebarItem::ofDecade(1960)));
    EXPECT_EQ(window.browsingState()->sidebar(), SidebarItem::ofDecade(1960));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("1960s"));
}
