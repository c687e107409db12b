#include "app/app_state.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;

TEST(AddMode, RawValuesRoundTrip)
{
    EXPECT_EQ(allAddModes(), (QList<AddMode> { AddMode::scan, AddMode::search, AddMode::manual }));
    for (AddMode mode : allAddModes())
        EXPECT_EQ(addModeFromRawValue(rawValue(mode)), mode);
    EXPECT_EQ(rawValue(AddMode::manual), QStringLiteral("manual"));
    EXPECT_FALSE(addModeFromRawValue(u"Scan").has_value());
    EXPECT_FALSE(addModeFromRawValue(u"").has_value());
}

TEST(AppState, StartsWithNoRequests)
{
    AppState state;
    EXPECT_FALSE(state.addMode().has_value());
    EXPECT_FALSE(state.showImporter());
    EXPECT_FALSE(state.showExporter());
    EXPECT_FALSE(state.showBatchImport());
    EXPECT_FALSE(state.batchImportPicksPhotos());
    EXPECT_FALSE(state.fetchMissingRequested());
}

TEST(AppState, NotifiesOnlyRealChanges)
{
    AppState state;
    QSignalSpy mode(&state, &AppState::addModeChanged);
    state.setAddMode(AddMode::scan);
    state.setAddMode(AddMode::scan);
    EXPECT_EQ(mode.count(), 1);
    state.setAddMode(AddMode::search);
    state.setAddMode(std::nullopt);
    EXPECT_EQ(mode.count(), 3);

    QSignalSpy fetch(&state, &AppState::fetchMissingRequestedChanged);
    state.setFetchMissingRequested(true);
    state.setFetchMissingRequested(true);
    EXPECT_EQ(fetch.count(), 1);
    state.setFetchMissingRequested(false);
    EXPECT_EQ(fetch.count(), 2);

    QSignalSpy importer(&state, &AppState::showImporterChanged);
    QSignalSpy exporter(&state, &AppState::showExporterChanged);
    QSignalSpy batch(&state, &AppState::showBatchImportChanged);
    QSignalSpy photos(&state, &AppState::batchImportPicksPhotosChanged);
    state.setShowImporter(false);
    state.setShowExporter(true);
    state.setShowBatchImport(true);
    state.setBatchImportPicksPhotos(false);
    EXPECT_EQ(importer.count(), 0);
    EXPECT_EQ(exporter.count(), 1);
    EXPECT_EQ(batch.count(), 1);
    EXPECT_EQ(photos.count(), 0);
}
