#include "views/batch_item_row.h"

#include "app/batch_matcher.h"
#include "app/run_task.h"
#include "core/text_util.h"
#include "views/components/busy_indicator.h"
#include "views/components/cover_views.h"
#include "views/components/symbol_icon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

using Kind = BatchItem::Status::Kind;

const QColor kGreen(0x34, 0xc7, 0x59);
const QColor kBadgeText(0x1e, 0x8a, 0x3c);
const QColor kOrange(0xff, 0x95, 0x00);
const QColor kRed(0xff, 0x3b, 0x30);

QColor faded(const QPalette &palette, qreal amount)
{
    const QColor text = palette.color(QPalette::WindowText);
    const QColor back = palette.color(QPalette::Window);
    return QColor::fromRgbF(text.redF() + (back.redF() - text.redF()) * amount,
        text.greenF() + (back.greenF() - text.greenF()) * amount,
        text.blueF() + (back.blueF() - text.blueF()) * amount);
}

QLabel *label(const char *name, qreal scale, bool secondary, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont font = l->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    l->setFont(font);
    if (secondary)
        l->setForegroundRole(QPalette::PlaceholderText);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QString joined(QStringList parts)
{
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" \u00b7 "));
}

QString year(const ReleaseCandidate &candidate)
{
    return candidate.year ? QString::number(*candidate.year) : QString();
}

} // namespace

BatchItemRow::BatchItemRow(BatchMatcher *matcher, const QUuid &id, ThumbnailFetch fetch,
    QThreadPool *pool, ThumbnailCache *thumbnails, QWidget *parent)
    : QWidget(parent)
    , m_matcher(matcher)
    , m_id(id)
    , m_fetch(std::move(fetch))
    , m_pool(pool)
    , m_thumbnails(thumbnails)
{
    setObjectName(QStringLiteral("batchItemRow"));
    // A clicked row takes the focus, so Delete removes it.
    setFocusPolicy(Qt::ClickFocus);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 3, 10, 3);
    layout->setSpacing(12);

    m_include = new QCheckBox(this);
    m_include->setObjectName(QStringLiteral("include"));
    m_include->setAccessibleName(tr("Add"));
    connect(m_include, &QCheckBox::clicked, this,
        [this](bool checked) { m_matcher->setInclude(m_id, checked); });
    layout->addWidget(m_include);

    auto *status = new QWidget(this);
    status->setFixedWidth(18);
    auto *statusLayout = new QHBoxLayout(status);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    m_statusIcon = new QLabel(status);
    m_statusIcon->setObjectName(QStringLiteral("statusIcon"));
    m_statusIcon->setAlignment(Qt::AlignCenter);
    statusLayout->addWidget(m_statusIcon);
    m_busy = new BusyIndicator(14, status);
    m_busy->setObjectName(QStringLiteral("searchingIndicator"));
    statusLayout->addWidget(m_busy);
    layout->addWidget(status);

    m_crop = new QLabel(this);
    m_crop->setObjectName(QStringLiteral("crop"));
    m_crop->setFixedSize(44, 44);
    m_crop->setAlignment(Qt::AlignCenter);
    m_crop->setStyleSheet(QStringLiteral("QLabel { background: rgba(0, 0, 0, 128); border-radius: 4px; }"));
    m_crop->setToolTip(tr("What Vorla read from the photo"));
    layout->addWidget(m_crop);
    m_cropArrow = new QLabel(this);
    m_cropArrow->setPixmap(symbolIcon(QStringLiteral("arrow.right"), faded(palette(), 0.6))
            .pixmap(QSize(12, 12)));
    layout->addWidget(m_cropArrow);

    m_thumbnail = new DataCover(this);
    m_thumbnail->setObjectName(QStringLiteral("thumbnail"));
    m_thumbnail->setCornerRadius(4);
    m_thumbnail->setFixedSize(40, 40);
    layout->addWidget(m_thumbnail);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    m_line = label("line", 0.85, true, this);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(m_line->font().pointSizeF());
    m_line->setFont(mono);
    texts->addWidget(m_line);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(6);
    m_title = label("title", 1.0, false, this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    titleRow->addWidget(m_title);
    m_badge = label("badge", 0.75, false, this);
    QFont badgeFont = m_badge->font();
    badgeFont.setWeight(QFont::DemiBold);
    m_badge->setFont(badgeFont);
    m_badge->setStyleSheet(QStringLiteral(
        "QLabel { color: %1; background: rgba(52, 199, 89, 51); border-radius: 7px;"
        " padding: 2px 6px; }")
            .arg(kBadgeText.name()));
    titleRow->addWidget(m_badge);
    titleRow->addStretch(1);
    texts->addLayout(titleRow);
    m_details = label("details", 0.85, true, this);
    texts->addWidget(m_details);
    m_hint = label("hint", 0.8, true, this);
    texts->addWidget(m_hint);
    m_placeholder = label("placeholder", 0.92, true, this);
    m_placeholder->setWordWrap(true);
    texts->addWidget(m_placeholder);
    m_earlierChoice = label("earlierChoice", 0.85, false, this);
    m_earlierChoice->setWordWrap(true);
    m_earlierChoice->setStyleSheet(QStringLiteral("QLabel { color: #d70015; }"));
    texts->addWidget(m_earlierChoice);
    layout->addLayout(texts, 1);
    layout->addSpacing(8);

    m_undo = new QPushButton(tr("Undo"), this);
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setToolTip(tr("Remove the record that was added and review this match instead"));
    connect(m_undo, &QPushButton::clicked, this, [this] { m_matcher->undoAdd(m_id); });
    layout->addWidget(m_undo);
    m_picker = new QComboBox(this);
    m_picker->setObjectName(QStringLiteral("picker"));
    m_picker->setAccessibleName(tr("Pressing"));
    m_picker->setFixedWidth(190);
    connect(m_picker, &QComboBox::activated, this, [this](int index) {
        const QVariant tag = m_picker->itemData(index);
        m_matcher->setChosenID(
            m_id, tag.isValid() ? std::optional<QString>(tag.toString()) : std::nullopt);
    });
    layout->addWidget(m_picker);
    m_retry = new QPushButton(tr("Retry"), this);
    m_retry->setObjectName(QStringLiteral("retry"));
    connect(m_retry, &QPushButton::clicked, this, [this] { m_matcher->retry(m_id); });
    layout->addWidget(m_retry);

    refresh();
}

BatchItemRow::~BatchItemRow()
{
    m_thumbnailStop.request_stop();
}

void BatchItemRow::rebind(const QUuid &id)
{
    if (id != m_id) {
        m_id = id;
        m_picker->hidePopup();
        m_pickerIDs.clear();
        m_thumbnailURL.reset();
        cancelThumbnail();
    }
    refresh();
}

void BatchItemRow::cancelThumbnail()
{
    m_thumbnailStop.request_stop();
    m_thumbnailStop = std::stop_source();
    m_thumbnail->setData({});
}

QString BatchItemRow::details(const ReleaseCandidate &candidate)
{
    QStringList labelAndNumber { TextUtil::trimmedSpacesAndTabs(candidate.label), TextUtil::trimmedSpacesAndTabs(candidate.catalogNumber) };
    labelAndNumber.removeAll(QString());
    return joined({ year(candidate), TextUtil::trimmedSpacesAndTabs(candidate.country), TextUtil::trimmedSpacesAndTabs(candidate.format),
        labelAndNumber.join(u' ') });
}

QString BatchItemRow::pickerLabel(const ReleaseCandidate &candidate)
{
    return joined({ year(candidate), TextUtil::trimmedSpacesAndTabs(candidate.country), TextUtil::trimmedSpacesAndTabs(candidate.catalogNumber) });
}

QString BatchItemRow::placeholderText(const BatchItem::Status &status)
{
    switch (status.kind) {
    case Kind::pending:
        return tr("Waiting to search…");
    case Kind::searching:
        return tr("Searching…");
    case Kind::matched:
    case Kind::needsReview:
        return tr("Will be added as typed");
    case Kind::notFound:
        return tr("No match. Switch on to add it as typed, then edit it later.");
    case Kind::failed:
        return status.reason;
    }
    return {};
}

void BatchItemRow::refresh()
{
    const BatchItem *found = m_matcher->item(m_id);
    if (!found)
        return;
    const BatchItem &item = *found;
    const std::optional<ReleaseCandidate> chosen = item.chosen();
    const bool done = item.isDone();

    {
        const QSignalBlocker blocker(m_include);
        m_include->setChecked(item.include);
    }
    m_include->setEnabled(done && !item.isAdded());
    m_include->setToolTip(chosen ? tr("Add this record") : tr("Add this line as typed, without a match"));

    showStatus(item);

    const bool hasCrop = item.evidence && item.evidence->crop && !item.evidence->crop->isNull();
    if (hasCrop) {
        m_crop->setPixmap(QPixmap::fromImage(item.evidence->crop->scaled(
            m_crop->size() * devicePixelRatioF(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    m_crop->setVisible(hasCrop);
    m_cropArrow->setVisible(hasCrop);

    showThumbnail(item, chosen);

    m_line->setText(item.line);
    m_title->setVisible(bool(chosen));
    m_details->setVisible(bool(chosen));
    m_placeholder->setVisible(!chosen);
    if (chosen) {
        m_title->setText(tr("%1 — %2").arg(chosen->artist, chosen->title));
        m_details->setText(details(*chosen));
    } else {
        m_placeholder->setText(placeholderText(item.status));
    }
    const QString badge = !chosen ? QString()
        : item.isAdded()          ? tr("Added")
        : item.alreadyOwned       ? tr("In Collection")
                                  : QString();
    m_badge->setText(badge);
    m_badge->setVisible(!badge.isEmpty());
    const bool hint = chosen && !item.evidence && item.query.catalogNumber.isEmpty()
        && item.candidates.size() >= 2;
    if (hint) {
        const auto others = item.candidates.size() - 1;
        m_hint->setText(
            tr("Most common pressing, %1 other%2. Add the catalog number to pin it down.")
                .arg(others)
                .arg(others == 1 ? QString() : QStringLiteral("s")));
    }
    m_hint->setVisible(hint);
    // A retry that failed keeps the pressing chosen before; say so, or it reads as current.
    const bool earlier = chosen && item.status.kind == Kind::failed;
    if (earlier)
        m_earlierChoice->setText(
            tr("%1 The pressing shown was chosen before.").arg(item.status.reason));
    m_earlierChoice->setVisible(earlier);

    m_undo->setVisible(item.isAdded());
    m_picker->setVisible(!item.isAdded() && !item.candidates.isEmpty());
    m_retry->setVisible(
        !item.isAdded() && item.candidates.isEmpty() && item.status.kind == Kind::failed);
    if (m_picker->isVisibleTo(this))
        showPicker(item);

    const bool dimmed = done && !item.include;
    if (dimmed != bool(graphicsEffect())) {
        if (dimmed) {
            auto *effect = new QGraphicsOpacityEffect(this);
            effect->setOpacity(0.6);
            setGraphicsEffect(effect);
        } else {
            setGraphicsEffect(nullptr);
        }
    }
}

void BatchItemRow::showStatus(const BatchItem &item)
{
    const bool photo = item.evidence.has_value();
    QString symbol;
    QColor color;
    QString help;
    switch (item.status.kind) {
    case Kind::pending:
        symbol = QStringLiteral("clock");
        color = faded(palette(), 0.55);
        help = tr("Waiting");
        break;
    case Kind::searching:
        break;
    case Kind::matched:
        symbol = QStringLiteral("checkmark.circle.fill");
        color = kGreen;
        help = photo ? tr("Confirmed by the photo") : tr("Confident match");
        break;
    case Kind::needsReview:
        symbol = QStringLiteral("questionmark.circle.fill");
        color = kOrange;
        help = photo ? tr("Possible match: the photo doesn't confirm it. Tick to add.")
                     : tr("Check the pressing");
        break;
    case Kind::notFound:
        symbol = QStringLiteral("xmark.circle");
        color = faded(palette(), 0.35);
        help = tr("No match found");
        break;
    case Kind::failed:
        symbol = QStringLiteral("exclamationmark.triangle.fill");
        color = kRed;
        help = item.status.reason;
        break;
    }
    m_busy->setVisible(symbol.isEmpty());
    m_statusIcon->setVisible(!symbol.isEmpty());
    m_statusIcon->setToolTip(help);
    m_statusIcon->setProperty("symbol", symbol);
    if (symbol.isEmpty())
        return;
    // Recycled rows change their icon as the list scrolls; each one is drawn once.
    const QString key
        = QStringLiteral("batchStatus:%1:%2").arg(symbol, color.name(QColor::HexArgb));
    if (key == m_statusKey)
        return;
    m_statusKey = key;
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = symbolIcon(symbol, color).pixmap(QSize(16, 16));
        QPixmapCache::insert(key, pixmap);
    }
    m_statusIcon->setPixmap(pixmap);
}

void BatchItemRow::showPicker(const BatchItem &item)
{
    QStringList ids;
    for (const ReleaseCandidate &candidate : item.candidates)
        ids.append(candidate.id());
    const QSignalBlocker blocker(m_picker);
    if (ids != m_pickerIDs) {
        m_pickerIDs = ids;
        m_picker->clear();
        for (const ReleaseCandidate &candidate : item.candidates)
            m_picker->addItem(pickerLabel(candidate), candidate.id());
        m_picker->insertSeparator(m_picker->count());
        m_picker->addItem(tr("No match: add as typed"));
        m_picker->setToolTip(tr("%1 possible pressings").arg(item.candidates.size()));
    }
    const int chosen = item.chosenID ? m_picker->findData(*item.chosenID) : -1;
    m_picker->setCurrentIndex(chosen >= 0 ? chosen : m_picker->count() - 1);
}

void BatchItemRow::showThumbnail(
    const BatchItem &item, const std::optional<ReleaseCandidate> &chosen)
{
    m_thumbnail->setSeed(chosen ? chosen->artist + chosen->title : item.line);
    const std::optional<QUrl> url = chosen ? chosen->thumbnailURL : std::nullopt;
    if (url == m_thumbnailURL)
        return;
    m_thumbnailURL = url;
    cancelThumbnail();
    if (!url || !m_fetch || !m_pool)
        return;
    if (const QByteArray *cached = m_thumbnails ? m_thumbnails->object(*url) : nullptr) {
        m_thumbnail->setData(*cached);
        return;
    }
    QPointer<DataCover> target(m_thumbnail);
    runTask(
        m_thumbnail, m_thumbnailStop.get_token(),
        [fetch = m_fetch, url = *url](std::stop_token stop) { return fetch(url, stop); },
        // The cache lives as long as the list that holds the target's row.
        [target, cache = m_thumbnails, url = *url](TaskResult<QByteArray> result) {
            if (!target || !result.hasValue() || result.get().isEmpty())
                return;
            if (cache)
                cache->insert(url, new QByteArray(result.get()),
                    std::max<qsizetype>(1, result.get().size() / 1024));
            target->setData(result.get());
        },
        m_pool);
}

void BatchItemRow::setAlternate(bool alternate)
{
    if (m_alternate == alternate)
        return;
    m_alternate = alternate;
    update();
}

void BatchItemRow::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (hasFocus()) {
        QColor selected = palette().color(QPalette::Highlight);
        selected.setAlphaF(0.18);
        painter.fillRect(rect(), selected);
    } else if (m_alternate) {
        painter.fillRect(rect(), palette().color(QPalette::AlternateBase));
    }
    QWidget::paintEvent(event);
}

void BatchItemRow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        emit removeRequested(m_id);
        return;
    }
    QWidget::keyPressEvent(event);
}

void BatchItemRow::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void BatchItemRow::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void BatchItemRow::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    // The row may show another item by the time the menu is answered.
    menu.addAction(tr("Delete"), this, [this, id = m_id] { emit removeRequested(id); });
    menu.exec(event->globalPos());
}

} // namespace vorla
