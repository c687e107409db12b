#include "app/vorla_app.h"

#include "app/app_state.h"
#include "app/batch_matcher.h"
#include "app/debug_hooks.h"
#include "app/demo_data.h"
#include "app/icon_renderer.h"
#include "app/metadata_refresher.h"
#include "app/quit_guard.h"
#include "app/resources.h"
#include "app/single_instance.h"
#include "app/snapshot.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/persistence.h"
#include "scanner/text_recognizer.h"
#include "views/library_message_bar.h"
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

// On standard error, and in a message box where someone can read it.
void reportFatal(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    if (hasRealDisplay())
        QMessageBox::critical(nullptr, QStringLiteral("Vorla"), message);
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
    // One Vorla per library: a second one shows the first one's window and leaves.
    m_instance = std::make_unique<SingleInstance>(Persistence::storeURL().toLocalFile());
    const SingleInstance::Claim claim = m_instance->claim();
    if (claim != SingleInstance::Claim::owner) {
        m_exitStatus = claim == SingleInstance::Claim::handedOver ? 0 : 1;
        if (claim == SingleInstance::Claim::busy)
            reportFatal(m_instance->busyMessage());
        return false;
    }
    try {
        m_context = Persistence::makeContainer();
    } catch (const std::exception &error) {
        reportFatal(fatalStoreMessage(QString::fromUtf8(error.what())));
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
    LibraryMessageBar::install(m_window.get(), m_context.get());
    m_quitGuard = std::make_unique<QuitGuard>(m_window.get(), m_context.get());
    QObject::connect(m_instance.get(), &SingleInstance::activationRequested, m_window.get(),
                     [window = m_window.get()] {
                         window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                         window->raise();
                         window->activateWindow();
                     });

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
        return app.exitStatus();
    return QApplication::exec();
}

} // namespace vorla
