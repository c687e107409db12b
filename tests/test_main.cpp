// Shared entry of every test program: an offscreen application and private settings; a
// QApplication where widgets are tested, a QGuiApplication below them.
#ifdef VORLA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep tests away from the user's real settings, caches and library.
    QStandardPaths::setTestModeEnabled(true);
    TestApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vorla"));
    QCoreApplication::setApplicationName(QStringLiteral("VorlaTests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
