#include "app/snapshot.h"

#include "app/debug_hooks.h"
#include "services/image_cache.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPixmap>
#include <QTextStream>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace vorla {

namespace DebugHooks {

namespace {

constexpr double kDefaultDelaySeconds = 3.0;

std::optional<QString> variable(const char *name)
{
    const auto &environment = env();
    const auto it = environment.constFind(QLatin1String(name));
    if (it == environment.constEnd())
        return std::nullopt;
    return *it;
}

// Top-level widgets in the order of their windows' creation.
QList<QWidget *> windowsInOrder()
{
    const QWindowList order = QGuiApplication::topLevelWindows();
    QList<QWidget *> widgets = QApplication::topLevelWidgets();
    auto rank = [&](QWidget *widget) {
        const qsizetype index = order.indexOf(widget->windowHandle());
        return index < 0 ? order.size() : index;
    };
    std::stable_sort(
        widgets.begin(), widgets.end(), [&](QWidget *a, QWidget *b) { return rank(a) < rank(b); });
    return widgets;
}

} // namespace

std::optional<QString> snapshotAction()
{
    return variable("VORLA_SNAPSHOT_ACTION");
}

QList<QUrl> snapshotPhotos()
{
    return snapshotPhotos(variable("VORLA_SNAPSHOT_PHOTOS"));
}

QList<QUrl> snapshotPhotos(const std::optional<QString> &value)
{
    QList<QUrl> photos;
    if (!value)
        return photos;
    for (const QString &piece : value->split(u':', Qt::SkipEmptyParts))
        photos.append(QUrl::fromLocalFile(piece));
    return photos;
}

double snapshotDelay(const std::optional<QString> &text)
{
    if (!text || text->isEmpty() || text->trimmed() != *text)
        return kDefaultDelaySeconds;
    bool ok = false;
    const double seconds = QLocale::c().toDouble(*text, &ok);
    if (!ok || !std::isfinite(seconds))
        return kDefaultDelaySeconds;
    return seconds;
}

QString snapshotPath(const QString &path, int index)
{
    if (index == 0)
        return path;
    const QString suffix = QStringLiteral("-%1").arg(index);
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < nameStart)
        return path + suffix + QStringLiteral(".png");
    return path.left(dot) + suffix + path.mid(dot);
}

QStringList writeWindowSnapshots(const QString &path, QTextStream &out)
{
    QStringList written;
    int index = 0;
    // Covers still decoding would show as placeholders: painting asks for them first.
    for (QWidget *window : windowsInOrder()) {
        if (window->isVisible())
            window->grab();
    }
    ImageCache::shared().waitForDecodes();
    for (QWidget *window : windowsInOrder()) {
        if (!window->isVisible() || window->width() <= 100)
            continue;
        const QString file = snapshotPath(path, index++);
        const QPixmap image = window->grab();
        if (image.isNull() || !image.save(file, "PNG"))
            continue;
        const QString shown = QFileInfo(file).absoluteFilePath();
        out << "Wrote " << shown << '\n';
        written.append(shown);
    }
    out.flush();
    return written;
}

void scheduleSnapshotIfRequested()
{
    const std::optional<QString> path = variable("VORLA_SNAPSHOT");
    if (!path)
        return;
    const double seconds = snapshotDelay(variable("VORLA_SNAPSHOT_DELAY"));
    const double ms = std::clamp(seconds * 1000.0, 0.0, double(INT_MAX));
    QTimer::singleShot(int(ms), qApp, [file = *path] {
        QTextStream out(stdout);
        writeWindowSnapshots(file, out);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

} // namespace DebugHooks

} // namespace vorla
