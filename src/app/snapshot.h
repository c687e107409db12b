// Window snapshots and staged screens: the windowed application photographs its windows a
// few seconds after launch and quits (VORLA_SNAPSHOT), and the main window can be driven
// into a known state first (VORLA_SNAPSHOT_ACTION).
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QTextStream;

namespace vorla {

namespace DebugHooks {

// Arms the snapshot when VORLA_SNAPSHOT is present: after the delay the windows are written
// and the application quits with status 0. Call once, when the application has started.
void scheduleSnapshotIfRequested();

// VORLA_SNAPSHOT_ACTION, none when absent.
std::optional<QString> snapshotAction();

// VORLA_SNAPSHOT_PHOTOS as file addresses: split at every ":", empty pieces dropped, in order.
QList<QUrl> snapshotPhotos();
QList<QUrl> snapshotPhotos(const std::optional<QString> &value);

// VORLA_SNAPSHOT_DELAY in seconds: a decimal number, else 3 (absent, unparsable or not
// finite). Zero or negative fires at once.
double snapshotDelay(const std::optional<QString> &text);

// The file of the i-th window: the path itself for 0, else "-<i>" inserted before the
// file name's extension, or "-<i>.png" appended when it has none.
QString snapshotPath(const QString &path, int index);

// Writes a PNG of every visible top-level window wider than 100 pixels, in the order the
// windows were created, printing "Wrote <path>" for each file written. Returns the files.
QStringList writeWindowSnapshots(const QString &path, QTextStream &out);

} // namespace DebugHooks

} // namespace vorla
