#include "app/vorla_app.h"

#include "app/app_state.h"
#include "app/batch_matcher.h"
#include "app/debug_hooks.h"
#include "app/demo_data.h"
#include "app/icon_renderer.h"
#include "app/metadata_refresher.h"
#include "app/resources.h"
#include "app/snapshot.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/persistence.h"
#include "scanner/text_recognizer.h"
#include "views/main_window.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace vorla {

namespace {

// Scripted runs (offscreen, minimal) must end instead of waiting for a click.
bool hasRealDisplay()
{
    const QString platform = QGuiApplication::platformName();
    return platform != u"offscreen" && platform != u"minimal";
}

} // namespace

VorlaApp::VorlaApp() = default;

VorlaApp::~VorlaApp()
{
    if (m_refresher)
        m_refresher->cancel();
}

QString VorlaApp::fatalStoreMessage(const QString &error)
{
    return QStringLiteral("Could not open the Vorla library: ") + error;
}

bool VorlaApp::start()
{
    try {
        m_context = Persistence::makeContainer();
    } catch (const std::exception &error) {
        const QString message = fatalStoreMessage(QString::fromUtf8(error.what()));
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
        std::fflush(stderr);
        if (hasRealDisplay())
            QMessageBox::critical(nullptr, QStringLiteral("Vorla"), message);
        return false;
    }

    const auto &environment = DebugHooks::env();
    const auto seed = environment.constFind(QStringLiteral("VORLA_SEED_DEMO"));
    if (seed != environment.constEnd() && *seed == u"1")
        DemoData::seedIfEmpty(*m_context);

    m_appState = std::make_unique<AppState>();
    m_refresher = std::make_unique<MetadataRefresher>(MetadataRefresher::facadeLookup());
    m_batchMatcher = std::make_unique<BatchMatcher>();
    m_batchMatcher->setContext(m_context.get());
    m_batchMatcher->setRefresher(m_refresher.get());
    m_window = std::make_unique<MainWindow>(m_context.get(), m_appState.get(), m_refresher.get());
    m_window->setBatchMatcher(m_batchMatcher.get());

    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    DebugHooks::scheduleSnapshotIfRequested();
    TextRecognizer::warmUpOnce();
    return true;
}

int VorlaApp::run()
{
    initResources();
    QApplication::setApplicationDisplayName(QStringLiteral("Vorla"));
    QApplication::setDesktopFileName(QStringLiteral("vorla"));
    QApplication::setWindowIcon(IconRenderer::applicationIcon());
    QApplication::setQuitOnLastWindowClosed(true);
    VorlaApp app;
    if (!app.start())
        return 1;
    return QApplication::exec();
}

} // namespace vorla
