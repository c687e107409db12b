#include "test_support.h"

#include <QFile>

#include <gtest/gtest.h>

namespace vorla::test {

QString fixturePath(const QString &relative)
{
    return QStringLiteral(VORLA_FIXTURES_DIR "/") + relative;
}

QByteArray readFixture(const QString &relative)
{
    QFile file(fixturePath(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read fixture " << relative.toStdString();
        return {};
    }
    return file.readAll();
}

} // namespace vorla::test
