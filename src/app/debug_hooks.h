// The diagnostic mode: one command chosen by the environment runs in place of the windowed
// application and prints its result as plain lines on standard output.
#pragma once

#include "scanner/photo_match_sources.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QCoreApplication;
class QTextStream;

namespace vorla {

struct ReleaseQuery;

namespace DebugHooks {

// The process environment, captured on first use and kept for the run. A variable is present
// when its key exists, whatever its value (the empty text too).
const QHash<QString, QString> &env();

// The first command variable present in `environment`, in the order the commands are tested;
// empty when there is none.
QString requestedCommand(const QHash<QString, QString> &environment);
bool isCommandRequested();

// The application object of the diagnostic mode: it needs no display (offscreen platform,
// whatever QT_QPA_PLATFORM says) and keeps Qt's own messages off standard error.
std::unique_ptr<QCoreApplication> makeCommandApplication(int &argc, char **argv);

// Runs the command the environment asks for. False when there is none. Otherwise true, and
// the caller runs the event loop, which ends with the command's exit status: a command of the
// main thread has run to its end already; a task-based one runs on a worker thread meanwhile.
// Call on the main thread, with the application object in place.
bool runCommandLineHookIfRequested();

// A command: given its variable's value, prints to `out` and returns the exit status.
// Task-based commands run on a worker thread. A vorla::Error that escapes is printed as
// "Error: <message>" and ends the run with status 0, as the commands' own failures do.
using Command = int (*)(const QString &value, QTextStream &out);

// Photo matching's lookups answered from the recorded searches of the file that
// VORLA_REPLAY_SEARCHES names, read once on first use and kept for the run; none when the
// variable is absent or the file is unreadable or holds no JSON object. The lookups never
// send a request and never throw: a missing or malformed answer is an empty list.
const std::optional<PhotoMatcher::Sources> &replaySources();
// The same for one file, read now.
std::optional<PhotoMatcher::Sources> replaySourcesFromFile(const QString &path);

// The textual forms the commands print: a text in double quotes with quotes, backslashes and
// control characters escaped; a list as ["a", "b"] ("[]" when empty); a query as
// ReleaseQuery(artist: "…", title: "…", label: "…", catalogNumber: "…", text: "…").
QString quoted(const QString &text);
QString listDescription(const QStringList &list);
QString queryDescription(const ReleaseQuery &query);

// The commands; each is defined by the file that builds it and plugged into the table in
// debug_hooks.cpp.
int makeIcon(const QString &path, QTextStream &out);
int lookup(const QString &text, QTextStream &out);
int scanImage(const QString &path, QTextStream &out);
int analyzePhoto(const QString &path, QTextStream &out);
int readText(const QString &path, QTextStream &out);
int csvRoundTrip(const QString &path, QTextStream &out);

} // namespace DebugHooks

} // namespace vorla
