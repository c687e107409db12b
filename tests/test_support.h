// Small helpers shared by the test suites.
#pragma once

#include <QByteArray>
#include <QString>

namespace vorla::test {

// Path of a file below tests/fixtures.
QString fixturePath(const QString &relative);
// Contents of a fixture file; fails the current test when it cannot be read.
QByteArray readFixture(const QString &relative);

} // namespace vorla::test
