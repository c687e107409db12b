// The windowed application: once per run it opens the library store, creates
// the shared objects (application state, metadata refresher, batch matcher) and the main
// window, and arms the window snapshot when one is requested.
#pragma once

#include <QString>

#include <memory>

namespace vorla {

class AppState;
class BatchMatcher;
class MainWindow;
class MetadataRefresher;
class ModelContext;

class VorlaApp
{
public:
    VorlaApp();
    ~VorlaApp();
    VorlaApp(const VorlaApp &) = delete;
    VorlaApp &operator=(const VorlaApp &) = delete;

    // Opens the store or reports the fatal message and returns false; then seeds
    // demo records when VORLA_SEED_DEMO is "1" and shows the main window.
    bool start();

    ModelContext *context() const { return m_context.get(); }
    AppState *appState() const { return m_appState.get(); }
    MetadataRefresher *refresher() const { return m_refresher.get(); }
    BatchMatcher *batchMatcher() const { return m_batchMatcher.get(); }
    MainWindow *mainWindow() const { return m_window.get(); }

    // "Could not open the Vorla library: <error>"
    static QString fatalStoreMessage(const QString &error);

    // The windowed application on the existing QApplication; returns the exit
    // status.
    static int run();

private:
    // Declared in the order of creation; destroyed in reverse, the store last, so
    // its final save comes after every view is gone.
    std::unique_ptr<ModelContext> m_context;
    std::unique_ptr<AppState> m_appState;
    std::unique_ptr<MetadataRefresher> m_refresher;
    std::unique_ptr<BatchMatcher> m_batchMatcher;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace vorla
