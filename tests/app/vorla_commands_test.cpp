#include "app/vorla_commands.h"

#include "app/app_state.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace vorla;

namespace {

QString plainText(const QAction *action)
{
    QString text = action->text();
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

} // namespace

TEST(VorlaCommands, FileMenuItemsInOrderWithShortcuts)
{
    AppState state;
    VorlaCommands commands(&state, nullptr);
    QMenu file;
    commands.addTo(&file);

    const struct
    {
        const char *text;
        const char *shortcut;
    } expected[] = {
        { "Scan Barcode…", "Ctrl+B" },
        { "Search Online…", "Ctrl+Shift+F" },
        { "Add Record Manually…", "Ctrl+N" },
        { "", "" },
        { "Import List of Records…", "Ctrl+Shift+L" },
        { "Import Photos of Records…", "Ctrl+Shift+P" },
        { "", "" },
        { "Import CSV…", "Ctrl+Shift+I" },
        { "Export CSV…", "Ctrl+Shift+E" },
        { "", "" },
        { "Fetch Missing Metadata & Artwork", "" },
    };
    const QList<QAction *> actions = file.actions();
    ASSERT_EQ(actions.size(), qsizetype(std::size(expected)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(actions[i]->isSeparator(), *expected[i].text == '\0');
        if (actions[i]->isSeparator())
            continue;
        EXPECT_EQ(plainText(actions[i]), QString::fromUtf8(expected[i].text));
        EXPECT_EQ(actions[i]->shortcut().toString(), QString::fromUtf8(expected[i].shortcut));
        EXPECT_TRUE(actions[i]->isEnabled());
    }
}

TEST(VorlaCommands, AddCommandsSetTheAddMode)
{
    AppState state;
    VorlaCommands commands(&state, nullptr);
    QSignalSpy changes(&state, &AppState::addModeChanged);

    commands.addManually->trigger();
    EXPECT_EQ(state.addMode(), AddMode::manual);
    commands.searchOnline->trigger();
    EXPECT_EQ(state.addMode(), AddMode::search);
    commands.scanBarcode->trigger();
    EXPECT_EQ(state.addMode(), AddMode::scan);
    // Choosing scan again while the scan sheet is open changes nothing.
    commands.scanBarcode->trigger();
    EXPECT_EQ(changes.count(), 3);
}

TEST(VorlaCommands, PhotoImportSetsThePickerBeforeOpening)
{
    AppState state;
    VorlaCommands commands(&state, nullptr);
    bool picksWhenOpened = false;
    QObject::connect(&state, &AppState::showBatchImportChanged, [&] {
        if (state.showBatchImport())
            picksWhenOpened = state.batchImportPicksPhotos();
    });
    commands.importPhotos->trigger();
    EXPECT_TRUE(state.showBatchImport());
    EXPECT_TRUE(picksWhenOpened);

    // The main window resets both when the sheet closes; the list command then opens it
    // without the picker.
    state.setShowBatchImport(false);
    state.setBatchImportPicksPhotos(false);
    commands.importList->trigger();
    EXPECT_TRUE(state.showBatchImport());
    EXPECT_FALSE(picksWhenOpened);
}

TEST(VorlaCommands, FileAndFetchRequests)
{
    AppState state;
    VorlaCommands commands(&state, nullptr);
    commands.importCSV->trigger();
    EXPECT_TRUE(state.showImporter());
    commands.exportCSV->trigger();
    EXPECT_TRUE(state.showExporter());

    int fetches = 0;
    QObject::connect(&state, &AppState::fetchMissingRequestedChanged, [&] {
        if (state.fetchMissingRequested()) {
            state.setFetchMissingRequested(false);
            ++fetches;
        }
    });
    commands.fetchMissing->trigger();
    commands.fetchMissing->trigger();
    EXPECT_EQ(fetches, 2);
}
