// Shared entry of every test program: an offscreen QApplication and private settings.
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Keep tests away from the user's real settings, caches and library.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vorla"));
    QCoreApplication::setApplicationName(QStringLiteral("VorlaTests"));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
