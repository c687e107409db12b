#include "views/multi_selection_view.h"

#include "models/model_context.h"
#include "models/record.h"
#include "services/image_cache.h"
#include "views/components/cover_painter.h"
#include "views/components/record_cover.h"
#include "views/components/symbol_icon.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr int kStackedCovers = 3;
constexpr qreal kCoverWidth = 150;
constexpr qreal kTurnDegrees = -6;
constexpr qreal kShift = -14;

} // namespace

CoverStack::CoverStack(ModelContext *context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
{
    setFixedHeight(190);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(context, &ModelContext::recordsChanged, this, [this](const QList<QUuid> &ids) {
        for (const QUuid &id : ids) {
            if (m_ids.contains(id)) {
                update();
                return;
            }
        }
    });
    connect(&ImageCache::shared(), &ImageCache::imageReady, this, [this](const QString &key) {
        for (const QUuid &id : std::as_const(m_ids)) {
            const Record *record = m_context ? m_context->record(id) : nullptr;
            if (record && isRecordCoverKey(key, *record, false)) {
                update();
                return;
            }
        }
    });
}

void CoverStack::setRecords(const QList<QUuid> &ids)
{
    m_ids = ids.mid(0, kStackedCovers);
    update();
}

void CoverStack::paintEvent(QPaintEvent *)
{
    if (!m_context)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF cover(-kCoverWidth / 2, -kCoverWidth / 2, kCoverWidth, kCoverWidth);
    // Back to front: the first record ends on top.
    for (qsizetype i = m_ids.size() - 1; i >= 0; --i) {
        const Record *record = m_context->record(m_ids[i]);
        if (!record)
            continue;
        painter.save();
        painter.translate(width() / 2.0 + kShift * qreal(i), height() / 2.0);
        painter.rotate(kTurnDegrees * qreal(i));
        for (int blur = 3; blur >= 1; --blur) {
            QPainterPath shadow;
            shadow.addRoundedRect(
                cover.translated(0, 3).adjusted(-blur, -blur, blur, blur), 8 + blur, 8 + blur);
            painter.fillPath(shadow, QColor(0, 0, 0, 28));
        }
        paintSquareImage(
            painter, cover, recordCoverImage(*record, false), coverSeed(*record), 8, palette());
        painter.restore();
    }
}

MultiSelectionView::MultiSelectionView(
    ModelContext *context, RecordActions actions, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("multiSelectionView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(18);
    m_stack = new CoverStack(context, this);
    m_stack->setObjectName(QStringLiteral("coverStack"));
    layout->addWidget(m_stack);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("selectionCount"));
    m_count->setAlignment(Qt::AlignHCenter);
    QFont heading = m_count->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.15);
    heading.setBold(true);
    m_count->setFont(heading);
    layout->addWidget(m_count);

    auto *buttons = new QWidget(this);
    buttons->setMaximumWidth(240);
    auto *column = new QVBoxLayout(buttons);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto addButton = [&](const QString &name, const QString &symbol, const QString &text) {
        auto *button = new QPushButton(symbolIcon(symbol), text, buttons);
        button->setObjectName(name);
        button->setMinimumHeight(30);
        column->addWidget(button);
        return button;
    };
    connect(addButton(
                QStringLiteral("favoritesButton"), QStringLiteral("heart"), tr("Add to Favorites")),
        &QPushButton::clicked, this, &MultiSelectionView::addToFavorites);
    connect(addButton(QStringLiteral("refreshButton"), QStringLiteral("arrow.clockwise"),
                tr("Refresh Metadata")),
        &QPushButton::clicked, this, [this] {
            if (m_actions.refresh)
                m_actions.refresh(m_ids);
        });
    connect(addButton(QStringLiteral("deleteButton"), QStringLiteral("trash"), tr("Delete…")),
        &QPushButton::clicked, this, [this] {
            if (m_actions.deleteRecords)
                m_actions.deleteRecords(m_ids);
        });
    layout->addWidget(buttons, 0, Qt::AlignHCenter);
    buttons->setMinimumWidth(240);
    layout->addStretch(1);
}

void MultiSelectionView::setRecords(const QList<QUuid> &ids)
{
    m_ids = ids;
    m_stack->setRecords(ids);
    m_count->setText(tr("%1 records selected").arg(ids.size()));
}

void MultiSelectionView::addToFavorites()
{
    if (!m_context)
        return;
    for (const QUuid &id : std::as_const(m_ids)) {
        if (Record *record = m_context->record(id))
            record->setIsFavorite(true);
    }
}

} // namespace vorla
