// Gives a test its own settings file, so test programs running in parallel never share
// (or clear) each other's settings.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QUuid>

namespace vorla::test {

class IsolatedSettings
{
public:
    IsolatedSettings()
        : m_previous(QCoreApplication::applicationName())
    {
        QCoreApplication::setApplicationName(
            QStringLiteral("VorlaTests-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    }
    ~IsolatedSettings()
    {
        const QString file = QSettings().fileName();
        QSettings().clear();
        QFile::remove(file);
        QCoreApplication::setApplicationName(m_previous);
    }
    IsolatedSettings(const IsolatedSettings &) = delete;
    IsolatedSettings &operator=(const IsolatedSettings &) = delete;

private:
    QString m_previous;
};

} // namespace vorla::test
