#include "app/app_settings.h"

#include <QSettings>
#include <QSignalSpy>

#include "isolated_settings.h"

#include <gtest/gtest.h>

using namespace vorla;

namespace {

class AppSettingsTest : public testing::Test
{
protected:
    vorla::test::IsolatedSettings isolatedSettings;
    AppSettings &settings = AppSettings::shared();
};

} // namespace

TEST_F(AppSettingsTest, DefaultsWhenUnset)
{
    EXPECT_EQ(settings.viewMode(), ViewMode::grid);
    EXPECT_EQ(settings.sortKey(), SortKey::artist);
    EXPECT_TRUE(settings.sortAscending());
    EXPECT_DOUBLE_EQ(settings.tileSize(), 170.0);
    EXPECT_TRUE(settings.useMusicBrainz());
    EXPECT_FALSE(settings.currencyCode().isEmpty());
}

TEST_F(AppSettingsTest, EmitsOnlyOnRealChanges)
{
    QSignalSpy spy(&settings, &AppSettings::valueChanged);
    settings.setViewMode(ViewMode::list);
    settings.setViewMode(ViewMode::list);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), AppSettings::viewModeKey);

    settings.setTileSize(200);
    settings.setTileSize(200);
    settings.setSortAscending(false);
    settings.setSortAscending(false);
    EXPECT_EQ(spy.count(), 3);
    EXPECT_EQ(settings.viewMode(), ViewMode::list);
    EXPECT_DOUBLE_EQ(settings.tileSize(), 200.0);
    EXPECT_FALSE(settings.sortAscending());

    // Storing the default explicitly is a change from "unset".
    settings.setUseMusicBrainz(true);
    EXPECT_EQ(spy.count(), 4);
}

TEST_F(AppSettingsTest, PersistsThroughQSettings)
{
    settings.setViewMode(ViewMode::list);
    settings.setCurrencyCode(QStringLiteral("EUR"));
    QSettings raw;
    raw.sync();
    EXPECT_EQ(raw.value(QStringLiteral("viewMode")).toString(), QStringLiteral("list"));
    EXPECT_EQ(settings.currencyCode(), QStringLiteral("EUR"));
}

TEST_F(AppSettingsTest, UnknownStoredValuesFallBack)
{
    QSettings().setValue(QStringLiteral("viewMode"), QStringLiteral("mosaic"));
    QSettings().setValue(QStringLiteral("tileSize"), QStringLiteral("big"));
    QSettings().setValue(QStringLiteral("sortKey"), QStringLiteral("Year"));
    EXPECT_EQ(settings.sortKey(), SortKey::artist);
    settings.setSortKey(SortKey::dateAdded);
    EXPECT_EQ(QSettings().value(QStringLiteral("sortKey")).toString(), QStringLiteral("dateAdded"));
    EXPECT_EQ(settings.viewMode(), ViewMode::grid);
    EXPECT_DOUBLE_EQ(settings.tileSize(), 170.0);
}

TEST_F(AppSettingsTest, AnnouncesTheCurrencyWithItsCode)
{
    QSignalSpy spy(&settings, &AppSettings::currencyCodeChanged);
    settings.setTileSize(180);
    settings.setCurrencyCode(QStringLiteral("EUR"));
    settings.setCurrencyCode(QStringLiteral("EUR"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QStringLiteral("EUR"));
    // Removing the stored code announces the fallback now in force.
    settings.remove(AppSettings::currencyCodeKey);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toString(), settings.currencyCode());
}
