#include "views/add_record_results_pane.h"

#include "app/run_task.h"
#include "models/model_context.h"
#include "views/add_record_duplicates.h"
#include "views/add_record_services.h"
#include "views/components/cover_painter.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

namespace vorla {

namespace {

enum Role {
    IdRole = Qt::UserRole,
    OwnedRole,
    ArtistRole,
    DetailsRole,
    LabelRole,
    CatalogNumberRole,
    SourceRole,
    SeedRole,
    ThumbnailRole,
};

QString sourceName(MetadataSource source)
{
    return source == MetadataSource::musicBrainz ? QStringLiteral("MusicBrainz")
                                                 : QStringLiteral("Discogs");
}

QFont scaled(QFont font, qreal scale)
{
    font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

// One candidate a row, painted: a list of fifty rows is built in a few milliseconds.
class CandidateRowDelegate : public QStyledItemDelegate
{
public:
    explicit CandidateRowDelegate(QWidget *list)
        : QStyledItemDelegate(list)
    {
        // The row's fonts and the placeholder drawn once ahead, so that the first list of
        // candidates does not wait for their font engines.
        QImage scratch(64, 64, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&scratch);
        const Fonts fonts(list->font());
        for (const QFont &font : { fonts.base, fonts.bold, fonts.caption, fonts.small, fonts.mono, fonts.badge }) {
            painter.setFont(font);
            painter.drawText(0, 20, QStringLiteral("Ag1"));
        }
        paintSquareImage(painter, QRectF(0, 0, 56, 56), QImage(), QString(), 5, list->palette());
    }

    struct Fonts
    {
        explicit Fonts(const QFont &font)
            : base(font)
            , bold(font)
            , caption(scaled(font, 0.9))
            , small(scaled(font, 0.8))
            , mono(caption)
            , badge(small)
        {
            bold.setBold(true);
            mono.setStyleHint(QFont::Monospace);
            mono.setFamily(QStringLiteral("monospace"));
            badge.setWeight(QFont::DemiBold);
        }
        QFont base, bold, caption, small, mono, badge;
    };

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        const QFontMetrics metrics(option.font);
        return { 320, std::max(64, metrics.height() * 3 + 14) };
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        QStyleOptionViewItem panel = option;
        initStyleOption(&panel, index);
        panel.text.clear();
        panel.icon = QIcon();
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);

        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        const QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        QColor secondary = text;
        secondary.setAlphaF(0.65);
        QColor tertiary = text;
        tertiary.setAlphaF(0.45);

        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRect rect = option.rect.adjusted(8, 4, -8, -4);
        const QRectF cover(rect.left(), rect.center().y() - 28 + 1, 56, 56);
        paintSquareImage(*painter, cover, index.data(ThumbnailRole).value<QImage>(),
            index.data(SeedRole).toString(), 5, palette);

        const int right = rect.right();
        const int columnWidth = std::min(200, rect.width() / 3);
        const QRect facts(int(cover.right()) + 12, rect.top(), right - int(cover.right()) - 24 - columnWidth,
            rect.height());
        const QRect source(right - columnWidth, rect.top(), columnWidth, rect.height());

        const Fonts fonts(option.font);
        const QFont &base = fonts.base, &bold = fonts.bold, &caption = fonts.caption,
                    &small = fonts.small, &mono = fonts.mono, &badgeFont = fonts.badge;

        // Three lines in the facts column, three in the source column, centred as blocks.
        auto lines = [&](const QRect &box, const QList<std::pair<QFont, QString>> &rows,
                         const QList<QColor> &colors, Qt::Alignment alignment, int reserve = 0) {
            int height = 0;
            for (const auto &row : rows)
                height += QFontMetrics(row.first).height() + 3;
            int y = box.center().y() - height / 2;
            QList<int> widths;
            for (qsizetype i = 0; i < rows.size(); ++i) {
                const QFontMetrics metrics(rows[i].first);
                const int width = box.width() - (i == 0 ? reserve : 0);
                const QString elided = metrics.elidedText(rows[i].second, Qt::ElideRight, width);
                painter->setFont(rows[i].first);
                painter->setPen(colors[i]);
                painter->drawText(QRect(box.left(), y, box.width() - (i == 0 ? reserve : 0),
                                      metrics.height()),
                    alignment | Qt::AlignVCenter, elided);
                widths.append(metrics.horizontalAdvance(elided));
                y += metrics.height() + 3;
            }
            return widths;
        };
        const bool owned = index.data(OwnedRole).toBool();
        const QString badge = AddRecordResultsPane::tr("In Collection");
        const int badgeWidth = owned ? QFontMetrics(badgeFont).horizontalAdvance(badge) + 12 + 6 : 0;
        const QList<int> widths = lines(facts,
            { { bold, index.data(Qt::DisplayRole).toString() },
                { base, index.data(ArtistRole).toString() },
                { caption, index.data(DetailsRole).toString() } },
            { text, secondary, secondary }, Qt::AlignLeft, badgeWidth);
        if (owned) {
            const QFontMetrics titleMetrics(bold);
            const int titleHeight = titleMetrics.height();
            const int blockHeight = titleHeight + QFontMetrics(base).height()
                + QFontMetrics(caption).height() + 9;
            const int top = facts.center().y() - blockHeight / 2;
            const QFontMetrics metrics(badgeFont);
            const QRectF pill(facts.left() + widths.first() + 6, top + (titleHeight - metrics.height() - 4) / 2.0,
                badgeWidth - 6, metrics.height() + 4);
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(52, 199, 89, 50));
            painter->drawRoundedRect(pill, pill.height() / 2, pill.height() / 2);
            painter->setFont(badgeFont);
            painter->setPen(selected ? text : QColor(0x1e, 0x8a, 0x3c));
            painter->drawText(pill, Qt::AlignCenter, badge);
        }
        lines(source,
            { { caption, index.data(LabelRole).toString() },
                { mono, index.data(CatalogNumberRole).toString() },
                { small, index.data(SourceRole).toString() } },
            { text, secondary, tertiary }, Qt::AlignRight);
        painter->restore();
    }
};

} // namespace

AddRecordResultsPane::AddRecordResultsPane(AddRecordState *state, ModelContext *context,
    std::shared_ptr<const AddRecordServices> services, QThreadPool *pool, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_context(context)
    , m_services(std::move(services))
    , m_pool(pool)
{
    setObjectName(QStringLiteral("resultsPane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_failure = new QLabel(this);
    m_failure->setObjectName(QStringLiteral("resultsFailure"));
    m_failure->setAlignment(Qt::AlignCenter);
    m_failure->setWordWrap(true);
    m_failure->setContentsMargins(8, 8, 8, 8);
    m_failure->setStyleSheet(QStringLiteral("QLabel { color: #e07b00; }"));
    layout->addWidget(m_failure);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("candidateList"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new CandidateRowDelegate(m_list));
    layout->addWidget(m_list, 1);

    connect(state, &AddRecordState::candidatesChanged, this, &AddRecordResultsPane::rebuild);
    connect(state, &AddRecordState::selectedCandidateChanged, this,
        &AddRecordResultsPane::showSelection);
    connect(state, &AddRecordState::statusChanged, this, [this] {
        const AddRecordState::Status &status = m_state->status();
        const bool failed = status.kind == AddRecordState::Status::Kind::failure;
        m_failure->setVisible(failed);
        m_failure->setText(failed ? QStringLiteral("⚠ ") + status.message : QString());
    });
    m_failure->hide();
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        const QList<ReleaseCandidate> &candidates = m_state->candidates();
        if (row >= 0 && row < candidates.size())
            m_state->setSelectedCandidate(candidates.at(row).id());
    });
    connect(m_list, &QListWidget::doubleClicked, this, [this](const QModelIndex &index) {
        const QList<ReleaseCandidate> &candidates = m_state->candidates();
        if (index.row() >= 0 && index.row() < candidates.size())
            emit chooseRequested(candidates.at(index.row()));
    });
    rebuild();
}

AddRecordResultsPane::~AddRecordResultsPane()
{
    stopThumbnails();
}

void AddRecordResultsPane::stopThumbnails()
{
    m_thumbnails.request_stop();
}

QString AddRecordResultsPane::detailsLine(const ReleaseCandidate &candidate)
{
    QStringList parts;
    if (candidate.year)
        parts.append(QString::number(*candidate.year));
    for (const QString &text : { candidate.country, candidate.format }) {
        QString trimmed = text;
        while (!trimmed.isEmpty() && (trimmed.front() == u' ' || trimmed.front() == u'\t'))
            trimmed.remove(0, 1);
        while (!trimmed.isEmpty() && (trimmed.back() == u' ' || trimmed.back() == u'\t'))
            trimmed.chop(1);
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    return parts.join(QStringLiteral(" · "));
}

bool AddRecordResultsPane::isOwned(int row) const
{
    QListWidgetItem *item = m_list->item(row);
    return item && item->data(OwnedRole).toBool();
}

void AddRecordResultsPane::rebuild()
{
    m_thumbnails.request_stop();
    m_thumbnails = std::stop_source();
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const QList<ReleaseCandidate> &candidates = m_state->candidates();
    const OwnedReleases owned(m_context->records(), candidates);
    for (const ReleaseCandidate &candidate : candidates) {
        auto *item = new QListWidgetItem(candidate.title, m_list);
        item->setData(IdRole, candidate.id());
        item->setData(OwnedRole, owned.contains(candidate));
        item->setData(ArtistRole, candidate.artist);
        item->setData(DetailsRole, detailsLine(candidate));
        item->setData(LabelRole, candidate.label);
        item->setData(CatalogNumberRole, candidate.catalogNumber);
        item->setData(SourceRole, sourceName(candidate.source));
        item->setData(SeedRole, candidate.artist + candidate.title);
        item->setToolTip(candidate.title + QStringLiteral(" — ") + candidate.artist);
        if (!candidate.thumbnailURL || !m_services)
            continue;
        const int row = m_list->count() - 1;
        runTask(
            m_list, m_thumbnails.get_token(),
            [services = m_services, url = *candidate.thumbnailURL](std::stop_token stop) {
                return QImage::fromData(services->thumbnail(url, stop));
            },
            [this, row, id = candidate.id()](TaskResult<QImage> result) {
                QListWidgetItem *target = m_list->item(row);
                if (target && target->data(IdRole).toString() == id && result.hasValue()
                    && !result.get().isNull())
                    target->setData(ThumbnailRole, result.get());
            },
            m_pool);
    }
    showSelection();
}

void AddRecordResultsPane::showSelection()
{
    const std::optional<QString> selected = m_state->selectedCandidate();
    const QSignalBlocker blocker(m_list);
    for (int row = 0; row < m_list->count(); ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (selected && item->data(IdRole).toString() == *selected) {
            m_list->setCurrentItem(item);
            return;
        }
    }
    m_list->clearSelection();
}

} // namespace vorla
