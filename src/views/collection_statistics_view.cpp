#include "views/collection_statistics_view.h"

#include "app/app_settings.h"
#include "core/pointer_set.h"
#include "models/model_context.h"
#include "models/record.h"
#include "views/components/record_cover.h"
#include "views/currency_format.h"
#include "views/detail_section.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace vorla {

namespace {

constexpr int kTopGenres = 6;
constexpr int kRecentCovers = 6;
constexpr int kTilePadding = 12;

char16_t asciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

} // namespace

bool operator==(const CollectionTally::ArtistKey &a, const CollectionTally::ArtistKey &b)
{
    if (a.text.size() != b.text.size())
        return false;
    for (qsizetype i = 0; i < a.text.size(); ++i) {
        if (asciiLower(a.text[i].unicode()) != asciiLower(b.text[i].unicode()))
            return false;
    }
    return true;
}

size_t qHash(const CollectionTally::ArtistKey &key, size_t seed)
{
    size_t hash = seed ^ 1469598103934665603ULL;
    for (const QChar c : key.text)
        hash = (hash ^ asciiLower(c.unicode())) * 1099511628211ULL;
    return hash;
}

namespace {

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

} // namespace

CollectionStatistics CollectionStatistics::of(const QList<Record *> &records)
{
    CollectionTally tally;
    tally.count(records);
    return tally.statistics();
}

CollectionTally::ArtistKey CollectionTally::artistKey(const Record &record)
{
    // Lower-casing every artist into a new string would cost more than everything else here:
    // ASCII texts are compared and hashed lower-cased in place, only the others are copied.
    const QString &artist = record.artist();
    return { isAscii(artist) ? artist : artist.toLower() };
}

void CollectionTally::count(const QList<Record *> &records)
{
    *this = CollectionTally();
    m_artists.reserve(records.size());
    m_added.reserve(size_t(records.size()));
    for (const Record *record : records) {
        ++m_artists[artistKey(*record)];
        add(*record, 1);
        m_added.push_back({record->dateAddedSortKey(), record->id(), record});
    }
    for (const auto &[genre, count] : Record::genreCounts(records))
        m_genres.insert(genre, count);
    m_recent = newest();
}

void CollectionTally::remove(const QList<Record *> &removed)
{
    const PointerSet gone(removed);
    std::erase_if(m_added, [&gone](const Added &added) { return gone.contains(added.record); });
    bool recentGone = false;
    for (const Record *record : removed) {
        const auto artist = m_artists.find(artistKey(*record));
        if (artist != m_artists.end() && --*artist == 0)
            m_artists.erase(artist);
        add(*record, -1);
        recentGone = recentGone || m_recent.contains(record->id());
    }
    for (const auto &[genre, count] : Record::genreCounts(removed)) {
        const auto found = m_genres.find(genre);
        if (found != m_genres.end() && (*found -= count) <= 0)
            m_genres.erase(found);
    }
    if (recentGone)
        m_recent = newest();
}

void CollectionTally::add(const Record &record, int sign)
{
    m_records += sign;
    if (record.isFavorite())
        m_favorites += sign;
    if (const std::optional<double> price = record.purchasePrice()) {
        m_priced += sign;
        m_spent += sign * *price;
    }
}

QList<QUuid> CollectionTally::newest() const
{
    // Most entries are older than the sixth newest seen so far and cost one comparison.
    const auto before = [](const Added &a, const Added &b) {
        if (a.msecs != b.msecs)
            return a.msecs > b.msecs;
        return a.id < b.id;
    };
    std::vector<Added> newest;
    newest.reserve(kRecentCovers + 1);
    for (const Added &added : m_added) {
        if (newest.size() == size_t(kRecentCovers) && !before(added, newest.back()))
            continue;
        newest.insert(std::upper_bound(newest.begin(), newest.end(), added, before), added);
        if (newest.size() > size_t(kRecentCovers))
            newest.pop_back();
    }
    QList<QUuid> ids;
    for (const Added &added : newest)
        ids.append(added.id);
    return ids;
}

CollectionStatistics CollectionTally::statistics() const
{
    CollectionStatistics statistics;
    statistics.records = m_records;
    statistics.artists = m_artists.size();
    statistics.favorites = m_favorites;
    // Taking prices off again can leave a rounding error where nothing is left.
    statistics.spent = m_priced > 0 ? m_spent : 0;
    QList<std::pair<QString, int>> genres;
    genres.reserve(m_genres.size());
    for (auto it = m_genres.cbegin(); it != m_genres.cend(); ++it)
        genres.append({ it.key(), it.value() });
    const auto top = genres.begin() + qMin<qsizetype>(kTopGenres, genres.size());
    std::partial_sort(genres.begin(), top, genres.end(), [](const auto &a, const auto &b) {
        if (a.second != b.second)
            return a.second > b.second;
        return a.first < b.first;
    });
    genres.resize(top - genres.begin());
    statistics.topGenres = std::move(genres);
    statistics.recent = m_recent;
    return statistics;
}

StatTile::StatTile(const QString &label, QWidget *parent)
    : QWidget(parent)
    , m_label(label)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(label);
}

void StatTile::setValue(const QString &value)
{
    if (m_value == value)
        return;
    m_value = value;
    setAccessibleDescription(value);
    update();
}

QFont StatTile::valueFont() const
{
    QFont value = font();
    value.setPointSizeF(value.pointSizeF() * 1.35);
    value.setBold(true);
    return value;
}

QFont StatTile::labelFont() const
{
    QFont caption = font();
    caption.setPointSizeF(caption.pointSizeF() * 0.8);
    return caption;
}

QSize StatTile::sizeHint() const
{
    const QFontMetrics value(valueFont());
    const QFontMetrics caption(labelFont());
    return { qMax(value.horizontalAdvance(m_value), caption.horizontalAdvance(m_label))
            + 2 * kTilePadding,
        value.height() + 2 + caption.height() + 2 * kTilePadding };
}

QSize StatTile::minimumSizeHint() const
{
    return { 60, sizeHint().height() };
}

void StatTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(0.05);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(box, fill);

    const int available = width() - 2 * kTilePadding;
    QFont value = valueFont();
    const QFontMetrics full(value);
    const QFontMetrics caption(labelFont());
    const int advance = full.horizontalAdvance(m_value);
    if (advance > available && advance > 0)
        value.setPointSizeF(value.pointSizeF() * qMax(0.6, qreal(available) / advance));
    const QFontMetrics shrunk(value);
    painter.setFont(value);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect valueRect(kTilePadding, kTilePadding, available, full.height());
    painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignVCenter,
        shrunk.elidedText(m_value, Qt::ElideRight, available));
    QColor secondary = palette().color(QPalette::WindowText);
    secondary.setAlphaF(0.6);
    painter.setPen(secondary);
    painter.setFont(labelFont());
    painter.drawText(QRect(kTilePadding, valueRect.bottom() + 3, available, caption.height()),
        Qt::AlignLeft | Qt::AlignVCenter, caption.elidedText(m_label, Qt::ElideRight, available));
}

CollectionStatsView::CollectionStatsView(
    ModelContext *context, AppSettings &settings, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("collectionStatsView"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll);
    auto *content = new QWidget(scroll);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(20);

    auto *heading = new QLabel(tr("Your Collection"), content);
    heading->setObjectName(QStringLiteral("statsHeading"));
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.35);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);

    auto *tiles = new QGridLayout;
    tiles->setHorizontalSpacing(8);
    tiles->setVerticalSpacing(10);
    auto addTile = [&](const QString &name, const QString &label, int row, int column) {
        auto *tile = new StatTile(label, content);
        tile->setObjectName(name);
        tiles->addWidget(tile, row, column);
        return tile;
    };
    m_recordsTile = addTile(QStringLiteral("recordsTile"), tr("Records"), 0, 0);
    m_artistsTile = addTile(QStringLiteral("artistsTile"), tr("Artists"), 0, 1);
    m_favoritesTile = addTile(QStringLiteral("favoritesTile"), tr("Favorites"), 1, 0);
    m_spentTile = addTile(QStringLiteral("spentTile"), tr("Spent"), 1, 1);
    layout->addLayout(tiles);

    m_genres = new DetailSection(tr("Top Genres"), content);
    m_genres->setObjectName(QStringLiteral("topGenresSection"));
    layout->addWidget(m_genres);
    m_recent = new DetailSection(tr("Recently Added"), content);
    m_recent->setObjectName(QStringLiteral("recentSection"));
    auto *gridHolder = new QWidget(m_recent);
    m_recentGrid = new QGridLayout(gridHolder);
    m_recentGrid->setContentsMargins(0, 0, 0, 0);
    m_recentGrid->setSpacing(8);
    for (int column = 0; column < 3; ++column)
        m_recentGrid->setColumnStretch(column, 1);
    m_recent->contentLayout()->addWidget(gridHolder);
    layout->addWidget(m_recent);
    layout->addStretch(1);
    scroll->setWidget(content);

    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(0);
    connect(&m_reloadTimer, &QTimer::timeout, this, &CollectionStatsView::reload);
    connect(context, &ModelContext::recordsInserted, this, &CollectionStatsView::scheduleReload);
    connect(context, &ModelContext::recordsAboutToBeRemoved, this, &CollectionStatsView::recordsRemoved);
    connect(context, &ModelContext::recordsChanged, this, &CollectionStatsView::scheduleReload);
    connect(&settings, &AppSettings::currencyCodeChanged, this, &CollectionStatsView::showSpent);
    reload();
}

void CollectionStatsView::showEvent(QShowEvent *event)
{
    if (m_stale)
        reload();
    QWidget::showEvent(event);
}

void CollectionStatsView::scheduleReload()
{
    m_stale = true;
    // A hidden view catches up when it is shown; edits in a row cost one count.
    if (isVisible())
        m_reloadTimer.start();
}

void CollectionStatsView::recordsRemoved(const QList<Record *> &removed)
{
    // Figures that are stale or about to be counted again are counted from what is left.
    if (m_stale || !m_context) {
        scheduleReload();
        return;
    }
    m_tally.remove(removed);
    showStatistics(false);
}

void CollectionStatsView::showSpent()
{
    m_spentTile->setValue(CurrencyFormat::format(
        m_statistics.spent, m_settings.currencyCode(), CurrencyFormat::Precision::wholeUnits));
}

void CollectionStatsView::reload()
{
    m_reloadTimer.stop();
    m_stale = false;
    if (!m_context)
        return;
    m_tally.count(m_context->records());
    showStatistics(true);
}

void CollectionStatsView::showStatistics(bool rebuildAll)
{
    const CollectionStatistics shown = std::exchange(m_statistics, m_tally.statistics());
    m_recordsTile->setValue(QString::number(m_statistics.records));
    m_artistsTile->setValue(QString::number(m_statistics.artists));
    m_favoritesTile->setValue(QString::number(m_statistics.favorites));
    showSpent();

    if (rebuildAll || shown.topGenres != m_statistics.topGenres)
        showGenres();
    if (rebuildAll || shown.recent != m_statistics.recent)
        showRecent();
}

void CollectionStatsView::showGenres()
{
    // Rows are kept and given new texts: a deletion changes counts, seldom the number of rows.
    QVBoxLayout *genreRows = m_genres->contentLayout();
    const qsizetype wanted = m_statistics.topGenres.size();
    while (genreRows->count() > wanted) {
        QLayoutItem *item = genreRows->takeAt(genreRows->count() - 1);
        delete item->widget();
        delete item;
    }
    const QFont callout = calloutFont(font());
    for (qsizetype i = genreRows->count(); i < wanted; ++i) {
        auto *row = new QWidget(m_genres);
        row->setObjectName(QStringLiteral("genreRow"));
        auto *line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto *name = new QLabel(row);
        name->setObjectName(QStringLiteral("genreName"));
        name->setTextFormat(Qt::PlainText);
        name->setFont(callout);
        auto *number = new QLabel(row);
        number->setObjectName(QStringLiteral("genreCount"));
        number->setFont(callout);
        makeSecondary(number);
        line->addWidget(name, 1);
        line->addWidget(number);
        genreRows->addWidget(row);
    }
    // A label given its own text again changes nothing.
    for (qsizetype i = 0; i < wanted; ++i) {
        const QWidget *row = genreRows->itemAt(int(i))->widget();
        const auto &[genre, count] = m_statistics.topGenres[i];
        row->findChild<QLabel *>(QStringLiteral("genreName"), Qt::FindDirectChildrenOnly)->setText(genre);
        row->findChild<QLabel *>(QStringLiteral("genreCount"), Qt::FindDirectChildrenOnly)
            ->setText(QLocale().toString(count));
    }
    m_genres->setVisible(wanted > 0);
}

void CollectionStatsView::showRecent()
{
    // Covers are kept and pointed at other records.
    const qsizetype wanted = m_statistics.recent.size();
    QList<RecordCover *> covers;
    for (int i = 0; i < m_recentGrid->count(); ++i)
        covers.append(qobject_cast<RecordCover *>(m_recentGrid->itemAt(i)->widget()));
    while (covers.size() > wanted) {
        RecordCover *surplus = covers.takeLast();
        m_recentGrid->removeWidget(surplus);
        delete surplus;
    }
    for (qsizetype i = 0; i < wanted; ++i) {
        const Record *record = m_context->record(m_statistics.recent[i]);
        if (i == covers.size()) {
            auto *cover = new RecordCover(m_recent);
            cover->setObjectName(QStringLiteral("recentCover"));
            cover->setCornerRadius(5);
            m_recentGrid->addWidget(cover, int(i / 3), int(i % 3));
            covers.append(cover);
        }
        covers[i]->setRecord(record, false);
        covers[i]->setToolTip(record->artist() + QStringLiteral(" — ") + record->title());
    }
    m_recent->setVisible(wanted > 0);
}

} // namespace vorla
