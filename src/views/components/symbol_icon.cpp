#include "views/components/symbol_icon.h"

#include "app/resources.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSvgRenderer>

namespace vorla {

namespace {

QString symbolPath(const QString &systemName)
{
    return QStringLiteral(":/icons/%1.svg").arg(systemName);
}

QByteArray symbolSource(const QString &systemName)
{
    initResources();
    static QHash<QString, QByteArray> sources;
    auto it = sources.find(systemName);
    if (it == sources.end()) {
        QFile file(symbolPath(systemName));
        it = sources.insert(
            systemName, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return *it;
}

// Renders the SVG at the requested size in a colour chosen per mode when painted.
class SymbolEngine : public QIconEngine
{
public:
    SymbolEngine(QByteArray source, std::optional<QColor> color)
        : m_source(std::move(source))
        , m_color(color)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, render(rect.size(), ratio, mode));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        return render(size, 1.0, mode);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        return render(size, scale, mode);
    }

    QIconEngine *clone() const override { return new SymbolEngine(m_source, m_color); }
    QString key() const override { return QStringLiteral("VorlaSymbol"); }
    bool isNull() override { return m_source.isEmpty(); }

private:
    QColor colorFor(QIcon::Mode mode) const
    {
        const QPalette palette = QApplication::palette();
        if (mode == QIcon::Disabled) {
            return m_color ? QColor(m_color->red(), m_color->green(), m_color->blue(), 110)
                           : palette.color(QPalette::Disabled, QPalette::WindowText);
        }
        if (m_color)
            return *m_color;
        if (mode == QIcon::Selected)
            return palette.color(QPalette::HighlightedText);
        return palette.color(QPalette::WindowText);
    }

    // Rendered pictures by size, ratio and colour: a repaint of the sidebar or a toolbar
    // would otherwise parse and render every symbol again.
    QPixmap render(const QSize &size, qreal ratio, QIcon::Mode mode) const
    {
        const QString key = QStringLiteral("%1x%2@%3|%4")
                                .arg(size.width())
                                .arg(size.height())
                                .arg(ratio)
                                .arg(colorFor(mode).rgba());
        if (const auto found = m_rendered.constFind(key); found != m_rendered.cend())
            return *found;
        // Sizes and colours in use are few; a slider resizing icons must not pile them up.
        if (m_rendered.size() >= 16)
            m_rendered.clear();
        const QPixmap pixmap = renderNow(size, ratio, mode);
        m_rendered.insert(key, pixmap);
        return pixmap;
    }

    QPixmap renderNow(const QSize &size, qreal ratio, QIcon::Mode mode) const
    {
        QPixmap pixmap(size * ratio);
        pixmap.fill(Qt::transparent);
        if (size.isEmpty())
            return pixmap;
        QByteArray svg = m_source;
        svg.replace("currentColor", colorFor(mode).name(QColor::HexRgb).toLatin1());
        QSvgRenderer renderer(svg);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(colorFor(mode).alphaF());
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size * ratio)));
        painter.end();
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    }

    QByteArray m_source;
    std::optional<QColor> m_color;
    mutable QHash<QString, QPixmap> m_rendered;
};

// Symbols with a standard freedesktop counterpart.
QString themeName(const QString &systemName)
{
    static const QHash<QString, QString> names = {
        { QStringLiteral("plus"), QStringLiteral("list-add") },
        { QStringLiteral("magnifyingglass"), QStringLiteral("edit-find") },
        { QStringLiteral("trash"), QStringLiteral("edit-delete") },
        { QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh") },
        { QStringLiteral("folder"), QStringLiteral("folder") },
        { QStringLiteral("square.and.arrow.down"), QStringLiteral("document-import") },
        { QStringLiteral("square.and.arrow.up"), QStringLiteral("document-export") },
        { QStringLiteral("pencil"), QStringLiteral("document-edit") },
        { QStringLiteral("gearshape"), QStringLiteral("preferences-system") },
    };
    return names.value(systemName);
}

} // namespace

bool hasSymbol(const QString &systemName)
{
    return !symbolSource(systemName).isEmpty();
}

QIcon symbolIcon(const QString &systemName)
{
    const QString theme = themeName(systemName);
    if (!theme.isEmpty() && QIcon::hasThemeIcon(theme))
        return QIcon::fromTheme(theme);
    const QByteArray source = symbolSource(systemName);
    if (source.isEmpty())
        return {};
    return QIcon(new SymbolEngine(source, std::nullopt));
}

QIcon symbolIcon(const QString &systemName, const QColor &color)
{
    const QByteArray source = symbolSource(systemName);
    if (source.isEmpty())
        return {};
    return QIcon(new SymbolEngine(source, color));
}

} // namespace vorla
