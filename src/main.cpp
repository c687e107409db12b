// Process start: a diagnostic command chosen by the environment, or the windowed application.
#include "app/debug_hooks.h"
#include "app/vorla_app.h"
#include "services/network_gateway.h"

#include <QApplication>
#include <QCoreApplication>

#include <memory>

using namespace vorla;

int main(int argc, char *argv[])
{
    // Before any QSettings use, so both modes read the same settings file.
    QCoreApplication::setOrganizationName(QStringLiteral("Vorla"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorla"));

    // The diagnostic mode must not need a display, so it is decided before the window system
    // is touched.
    std::unique_ptr<QCoreApplication> app = DebugHooks::isCommandRequested()
        ? DebugHooks::makeCommandApplication(argc, argv)
        : std::make_unique<QApplication>(argc, argv);
    // Every request of both modes goes through it; it shuts down before the application.
    NetworkGateway networkGateway;

    // The command ends the event loop with its exit status; no store, no window.
    if (DebugHooks::runCommandLineHookIfRequested())
        return app->exec();

    return VorlaApp::run();
}
