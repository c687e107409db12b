#include "views/add_record_results_pane.h"

#include "app/run_task.h"
#include "models/model_context.h"
#include "views/add_record_duplicates.h"
#include "views/add_record_services.h"
#include "views/components/cover_views.h"
#include "views/components/symbol_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QVBoxLayout>

namespace vorla {

namespace {

QLabel *secondaryLabel(const QString &text, QWidget *parent, qreal scale = 0.9)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QString sourceName(MetadataSource source)
{
    return source == MetadataSource::musicBrainz ? QStringLiteral("MusicBrainz")
                                                 : QStringLiteral("Discogs");
}

QWidget *candidateRow(const ReleaseCandidate &candidate, bool owned, DataCover **cover)
{
    auto *row = new QWidget;
    row->setObjectName(QStringLiteral("candidateRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(12);

    *cover = new DataCover(row);
    (*cover)->setCornerRadius(5);
    (*cover)->setSeed(candidate.artist + candidate.title);
    (*cover)->setFixedSize(56, 56);
    layout->addWidget(*cover);

    auto *facts = new QVBoxLayout;
    facts->setSpacing(3);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(6);
    auto *title = new QLabel(candidate.title, row);
    title->setObjectName(QStringLiteral("candidateTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    titleRow->addWidget(title);
    if (owned) {
        auto *badge = new QLabel(AddRecordResultsPane::tr("In Collection"), row);
        badge->setObjectName(QStringLiteral("inCollectionBadge"));
        QFont small = badge->font();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        small.setWeight(QFont::DemiBold);
        badge->setFont(small);
        badge->setStyleSheet(QStringLiteral(
            "QLabel { color: #1e8a3c; background: rgba(52, 199, 89, 50); border-radius: 7px;"
            " padding: 1px 6px; }"));
        titleRow->addWidget(badge);
    }
    titleRow->addStretch(1);
    facts->addLayout(titleRow);
    facts->addWidget(secondaryLabel(candidate.artist, row, 1.0));
    auto *details = secondaryLabel(AddRecordResultsPane::detailsLine(candidate), row);
    details->setObjectName(QStringLiteral("candidateDetails"));
    facts->addWidget(details);
    layout->addLayout(facts, 1);

    auto *source = new QVBoxLayout;
    source->setSpacing(3);
    auto *label = new QLabel(candidate.label, row);
    QFont caption = label->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.9);
    label->setFont(caption);
    auto *catalog = secondaryLabel(candidate.catalogNumber, row);
    QFont mono = catalog->font();
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    catalog->setFont(mono);
    auto *service = secondaryLabel(sourceName(candidate.source), row, 0.8);
    for (QLabel *line : { label, catalog, service }) {
        line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->setMaximumWidth(200);
        source->addWidget(line, 0, Qt::AlignRight);
    }
    layout->addLayout(source);
    return row;
}

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

void AddRecordResultsPane::rebuild()
{
    m_thumbnails.request_stop();
    m_thumbnails = std::stop_source();
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const OwnedReleases owned(m_context->records(), m_state->candidates());
    for (const ReleaseCandidate &candidate : m_state->candidates()) {
        auto *item = new QListWidgetItem(m_list);
        item->setData(Qt::UserRole, candidate.id());
        DataCover *cover = nullptr;
        QWidget *row = candidateRow(candidate, owned.contains(candidate), &cover);
        item->setSizeHint(row->sizeHint());
        m_list->setItemWidget(item, row);
        if (!candidate.thumbnailURL || !m_services)
            continue;
        QPointer<DataCover> target(cover);
        runTask(
            cover, m_thumbnails.get_token(),
            [services = m_services, url = *candidate.thumbnailURL](std::stop_token stop) {
                return services->thumbnail(url, stop);
            },
            [target](TaskResult<QByteArray> result) {
                if (target && result.hasValue() && !result.get().isEmpty())
                    target->setData(result.get());
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
        if (selected && item->data(Qt::UserRole).toString() == *selected) {
            m_list->setCurrentItem(item);
            return;
        }
    }
    m_list->clearSelection();
}

} // namespace vorla
