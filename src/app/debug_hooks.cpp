#include "app/debug_hooks.h"

#include "models/error.h"
#include "services/release_query.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QObject>
#include <QProcessEnvironment>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <exception>
#include <thread>

namespace vorla {

namespace DebugHooks {

namespace {

enum class Runs { onMainThread, asTask };

struct CommandEntry
{
    const char *variable;
    Runs runs;
    Command command; // null while the command is not built
};

// Tested in this order; the first variable present wins.
constexpr CommandEntry kCommands[] = {
    {"VORLA_MAKE_ICON", Runs::onMainThread, &makeIcon},
    {"VORLA_LOOKUP", Runs::asTask, &lookup},
    {"VORLA_SCAN_IMAGE", Runs::asTask, &scanImage},
    {"VORLA_ANALYZE_PHOTO", Runs::asTask, &analyzePhoto},
    {"VORLA_READ_TEXT", Runs::asTask, &readText},
    {"VORLA_CSV_ROUNDTRIP", Runs::onMainThread, &csvRoundTrip},
};

const CommandEntry *entryFor(const QHash<QString, QString> &environment)
{
    for (const CommandEntry &entry : kCommands) {
        if (environment.contains(QLatin1String(entry.variable)))
            return &entry;
    }
    return nullptr;
}

// Runs one command with its output on standard output, which is flushed before the status
// is handed back: the process may end right after.
int runPrinting(const CommandEntry &entry, const QString &value)
{
    QTextStream out(stdout);
    int status = 1;
    if (!entry.command) {
        out << entry.variable << " is not available in this build.\n";
    } else {
        try {
            status = entry.command(value, out);
        } catch (const Error &error) {
            out << "Error: " << error.message() << '\n';
            status = 0;
        } catch (const std::exception &error) {
            out << "Error: " << QString::fromUtf8(error.what()) << '\n';
            status = 1;
        }
    }
    out.flush();
    std::fflush(stdout);
    return status;
}

// Ends the event loop that the process entry runs, from any thread.
void finish(int status)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [status] { QCoreApplication::exit(status); },
        Qt::QueuedConnection);
}

// The worker thread of a task-based command. It lives as a child of the application object,
// so it is joined before the application goes away.
class CommandTask : public QObject
{
public:
    CommandTask(const CommandEntry &entry, const QString &value, QObject *parent)
        : QObject(parent)
        , m_thread([&entry, value] { finish(runPrinting(entry, value)); })
    {
    }
    ~CommandTask() override { m_thread.join(); }

private:
    std::thread m_thread;
};

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

QString quoted(const QString &text)
{
    QString result;
    result.reserve(text.size() + 2);
    result.append(u'"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"': result.append(u"\\\""); break;
        case u'\'': result.append(u"\\'"); break;
        case u'\\': result.append(u"\\\\"); break;
        case u'\n': result.append(u"\\n"); break;
        case u'\r': result.append(u"\\r"); break;
        case u'\t': result.append(u"\\t"); break;
        case u'\0': result.append(u"\\0"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                result.append(QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16));
            else
                result.append(c);
        }
    }
    result.append(u'"');
    return result;
}

QString listDescription(const QStringList &list)
{
    QStringList items;
    items.reserve(list.size());
    for (const QString &item : list)
        items.append(quoted(item));
    return u'[' + items.join(QStringLiteral(", ")) + u']';
}

QString queryDescription(const ReleaseQuery &query)
{
    return QStringLiteral("ReleaseQuery(artist: %1, title: %2, label: %3, catalogNumber: %4, "
                          "text: %5)")
        .arg(quoted(query.artist), quoted(query.title), quoted(query.label),
            quoted(query.catalogNumber), quoted(query.text));
}

const QHash<QString, QString> &env()
{
    static const QHash<QString, QString> environment = [] {
        QHash<QString, QString> captured;
        const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
        for (const QString &key : system.keys())
            captured.insert(key, system.value(key));
        return captured;
    }();
    return environment;
}

QString requestedCommand(const QHash<QString, QString> &environment)
{
    const CommandEntry *entry = entryFor(environment);
    return entry ? QString::fromLatin1(entry->variable) : QString();
}

bool isCommandRequested()
{
    return entryFor(env()) != nullptr;
}

std::unique_ptr<QCoreApplication> makeCommandApplication(int &argc, char **argv)
{
    // Commands run over SSH on machines without a display; image work still needs a GUI
    // application object, and nothing may reach standard error.
    qInstallMessageHandler(discardMessage);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

bool runCommandLineHookIfRequested()
{
    Q_ASSERT(QCoreApplication::instance());
    Q_ASSERT(QThread::currentThread() == QCoreApplication::instance()->thread());

    const CommandEntry *entry = entryFor(env());
    if (!entry)
        return false;
    const QString value = env().value(QLatin1String(entry->variable));
    if (entry->runs == Runs::onMainThread)
        finish(runPrinting(*entry, value));
    else
        new CommandTask(*entry, value, QCoreApplication::instance());
    return true;
}

} // namespace DebugHooks

} // namespace vorla
