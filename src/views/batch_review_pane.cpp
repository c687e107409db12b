#include "views/batch_review_pane.h"

#include "app/batch_matcher.h"
#include "models/grading.h"
#include "views/batch_review_list.h"
#include "views/components/busy_indicator.h"
#include "views/components/symbol_icon.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

using BatchReview::Filter;

constexpr int kProgressSteps = 1000;

QFont scaled(QFont font, qreal scale, bool bold = false)
{
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    return font;
}

void makeSecondary(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    widget->setPalette(palette);
}

QComboBox *gradingPicker(const char *name, QWidget *parent)
{
    auto *picker = new QComboBox(parent);
    picker->setObjectName(QString::fromLatin1(name));
    for (const Grading grading : allGradings)
        picker->addItem(shortLabel(grading), int(grading));
    return picker;
}

// The centred note shown in place of an empty list.
QWidget *centred(QWidget *content, QWidget *parent)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->addStretch(1);
    layout->addWidget(content, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    return page;
}

} // namespace

BatchReviewPane::BatchReviewPane(
    BatchMatcher *matcher, BatchItemRow::ThumbnailFetch fetch, QThreadPool *pool, QWidget *parent)
    : QWidget(parent)
    , m_matcher(matcher)
{
    setObjectName(QStringLiteral("reviewPane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    auto *topLine = new QFrame(this);
    topLine->setFrameShape(QFrame::HLine);
    topLine->setFrameShadow(QFrame::Sunken);
    layout->addWidget(topLine);

    m_listPages = new QStackedWidget(this);
    m_list = new BatchReviewList(m_matcher, std::move(fetch), pool, m_listPages);
    connect(m_list, &BatchReviewList::removeRequested, this,
        [this](const QUuid &removed) { removeRows({ int(filteredIDs().indexOf(removed)) }); });
    m_listPages->addWidget(m_list);

    auto *empty = new QWidget(m_listPages);
    auto *emptyLayout = new QVBoxLayout(empty);
    emptyLayout->setSpacing(6);
    auto *emptyIcon = new QLabel(empty);
    emptyIcon->setPixmap(symbolIcon(QStringLiteral("line.3.horizontal.decrease.circle"),
        palette().color(QPalette::PlaceholderText))
                             .pixmap(QSize(40, 40)));
    emptyLayout->addWidget(emptyIcon, 0, Qt::AlignHCenter);
    auto *emptyTitle = new QLabel(tr("Nothing here"), empty);
    emptyTitle->setFont(scaled(emptyTitle->font(), 1.3, true));
    emptyLayout->addWidget(emptyTitle, 0, Qt::AlignHCenter);
    auto *emptyText = new QLabel(tr("No lines match this filter."), empty);
    makeSecondary(emptyText);
    emptyLayout->addWidget(emptyText, 0, Qt::AlignHCenter);
    m_emptyState = centred(empty, m_listPages);
    m_emptyState->setObjectName(QStringLiteral("emptyState"));
    m_listPages->addWidget(m_emptyState);

    auto *looking = new QWidget(m_listPages);
    auto *lookingLayout = new QVBoxLayout(looking);
    lookingLayout->addWidget(new BusyIndicator(24, looking), 0, Qt::AlignHCenter);
    lookingLayout->addWidget(new QLabel(tr("Looking for records in the photo…"), looking));
    m_lookingForRecords = centred(looking, m_listPages);
    m_lookingForRecords->setObjectName(QStringLiteral("lookingForRecords"));
    m_listPages->addWidget(m_lookingForRecords);
    layout->addWidget(m_listPages, 1);

    auto *bottomLine = new QFrame(this);
    bottomLine->setFrameShape(QFrame::HLine);
    bottomLine->setFrameShadow(QFrame::Sunken);
    layout->addWidget(bottomLine);
    layout->addWidget(buildFooter());

    connect(m_matcher, &BatchMatcher::itemsChanged, this, &BatchReviewPane::syncRows);
    connect(m_matcher, &BatchMatcher::itemChanged, this, &BatchReviewPane::itemChanged);
    connect(m_matcher, &BatchMatcher::isRunningChanged, this, &BatchReviewPane::updateProgress);
    connect(m_matcher, &BatchMatcher::analyzingPhotoChanged, this, [this] {
        updateProgress();
        applyFilter();
    });
    connect(m_matcher, &BatchMatcher::locationChanged, this, &BatchReviewPane::updateFields);
    connect(m_matcher, &BatchMatcher::mediaConditionChanged, this, &BatchReviewPane::updateFields);
    connect(m_matcher, &BatchMatcher::sleeveConditionChanged, this, &BatchReviewPane::updateFields);
    updateFields();
    syncRows();
}

QWidget *BatchReviewPane::buildHeader()
{
    auto *header = new QWidget(this);
    auto *layout = new QVBoxLayout(header);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);

    auto *titleRow = new QHBoxLayout;
    auto *title = new QLabel(tr("Review Matches"), header);
    title->setObjectName(QStringLiteral("reviewTitle"));
    title->setFont(scaled(title->font(), 1.55, true));
    titleRow->addWidget(title);
    titleRow->addStretch(1);

    m_readingBox = new QWidget(header);
    auto *reading = new QHBoxLayout(m_readingBox);
    reading->setContentsMargins(0, 0, 0, 0);
    reading->addWidget(new BusyIndicator(14, m_readingBox));
    m_reading = new QLabel(m_readingBox);
    m_reading->setObjectName(QStringLiteral("readingPhoto"));
    makeSecondary(m_reading);
    reading->addWidget(m_reading);
    titleRow->addWidget(m_readingBox);

    m_matchingBox = new QWidget(header);
    auto *matching = new QHBoxLayout(m_matchingBox);
    matching->setContentsMargins(0, 0, 0, 0);
    m_progress = new QProgressBar(m_matchingBox);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, kProgressSteps);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(140);
    matching->addWidget(m_progress);
    m_matchingText = new QLabel(m_matchingBox);
    m_matchingText->setObjectName(QStringLiteral("matchingText"));
    makeSecondary(m_matchingText);
    matching->addWidget(m_matchingText);
    titleRow->addWidget(m_matchingBox);

    m_summary = new QLabel(header);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
    makeSecondary(m_summary);
    titleRow->addWidget(m_summary);
    layout->addLayout(titleRow);

    auto *filterRow = new QHBoxLayout;
    filterRow->setSpacing(0);
    m_filters = new QButtonGroup(header);
    m_filters->setExclusive(true);
    for (const Filter filter : BatchReview::allFilters) {
        auto *button = new QToolButton(header);
        button->setObjectName(QStringLiteral("filter%1").arg(int(filter)));
        button->setCheckable(true);
        button->setChecked(filter == m_filter);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        m_filters->addButton(button, int(filter));
        filterRow->addWidget(button);
    }
    connect(m_filters, &QButtonGroup::idClicked, this,
        [this](int id) { setFilter(Filter(id)); });
    filterRow->addStretch(1);
    layout->addLayout(filterRow);

    auto *applyRow = new QHBoxLayout;
    applyRow->setSpacing(10);
    auto *applyLabel = new QLabel(tr("Apply to all added:"), header);
    makeSecondary(applyLabel);
    applyRow->addWidget(applyLabel);
    m_location = new QLineEdit(header);
    m_location->setObjectName(QStringLiteral("location"));
    m_location->setPlaceholderText(tr("Shelf / crate"));
    m_location->setAccessibleName(tr("Location"));
    m_location->setFixedWidth(150);
    connect(m_location, &QLineEdit::textEdited, m_matcher, &BatchMatcher::setLocation);
    applyRow->addWidget(m_location);
    applyRow->addSpacing(4);
    applyRow->addWidget(new QLabel(tr("Media"), header));
    m_media = gradingPicker("media", header);
    connect(m_media, &QComboBox::activated, this,
        [this](int index) { m_matcher->setMediaCondition(Grading(m_media->itemData(index).toInt())); });
    applyRow->addWidget(m_media);
    applyRow->addSpacing(4);
    applyRow->addWidget(new QLabel(tr("Sleeve"), header));
    m_sleeve = gradingPicker("sleeve", header);
    connect(m_sleeve, &QComboBox::activated, this, [this](int index) {
        m_matcher->setSleeveCondition(Grading(m_sleeve->itemData(index).toInt()));
    });
    applyRow->addWidget(m_sleeve);
    applyRow->addStretch(1);
    layout->addLayout(applyRow);

    m_addedBox = new QWidget(header);
    auto *added = new QHBoxLayout(m_addedBox);
    added->setContentsMargins(0, 0, 0, 0);
    added->setSpacing(6);
    const QColor green(0x1e, 0x8a, 0x3c);
    auto *addedIcon = new QLabel(m_addedBox);
    addedIcon->setPixmap(
        symbolIcon(QStringLiteral("checkmark.circle.fill"), green).pixmap(QSize(16, 16)));
    added->addWidget(addedIcon);
    m_addedMessage = new QLabel(m_addedBox);
    m_addedMessage->setObjectName(QStringLiteral("addedMessage"));
    m_addedMessage->setTextFormat(Qt::PlainText);
    QPalette palette = m_addedMessage->palette();
    palette.setColor(QPalette::WindowText, green);
    m_addedMessage->setPalette(palette);
    added->addWidget(m_addedMessage);
    added->addStretch(1);
    m_addedBox->hide();
    layout->addWidget(m_addedBox);
    return header;
}

QWidget *BatchReviewPane::buildFooter()
{
    auto *footer = new QWidget(this);
    auto *layout = new QHBoxLayout(footer);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(8);

    auto *close = new QPushButton(tr("Close"), footer);
    close->setObjectName(QStringLiteral("close"));
    close->setAutoDefault(false);
    close->setToolTip(tr("Matching continues in the background. Reopen this window from File ▸ "
                         "Import List of Records."));
    connect(close, &QPushButton::clicked, this, &BatchReviewPane::closeRequested);
    layout->addWidget(close);

    auto *addMore = new QPushButton(tr("Add Photos or Lines…"), footer);
    addMore->setObjectName(QStringLiteral("addMore"));
    addMore->setAutoDefault(false);
    connect(addMore, &QPushButton::clicked, this, &BatchReviewPane::addMoreRequested);
    layout->addWidget(addMore);

    auto *clear = new QPushButton(tr("Clear"), footer);
    clear->setObjectName(QStringLiteral("clear"));
    clear->setAutoDefault(false);
    auto *menu = new QMenu(clear);
    menu->addAction(tr("Clear Added && Skipped"), this, &BatchReviewPane::clearAddedAndSkipped)
        ->setObjectName(QStringLiteral("clearAddedSkipped"));
    menu->addAction(symbolIcon(QStringLiteral("trash")), tr("Clear Everything"), this,
            &BatchReviewPane::clearEverything)
        ->setObjectName(QStringLiteral("clearEverything"));
    clear->setMenu(menu);
    layout->addWidget(clear);
    layout->addStretch(1);

    m_add = new QPushButton(footer);
    m_add->setObjectName(QStringLiteral("add"));
    m_add->setDefault(true);
    connect(m_add, &QPushButton::clicked, this, &BatchReviewPane::addIncluded);
    layout->addWidget(m_add);
    return footer;
}

void BatchReviewPane::setFilter(BatchReview::Filter filter)
{
    if (QAbstractButton *button = m_filters->button(int(filter)))
        button->setChecked(true);
    if (m_filter == filter)
        return;
    m_filter = filter;
    applyFilter();
}

QList<QUuid> BatchReviewPane::filteredIDs() const
{
    return BatchReview::filteredIDs(m_matcher->items(), m_filter);
}

void BatchReviewPane::removeRows(const QList<int> &offsets)
{
    const QList<QUuid> ids = filteredIDs();
    QSet<QUuid> removed;
    for (const int offset : offsets) {
        if (offset >= 0 && offset < ids.size())
            removed.insert(ids.at(offset));
    }
    m_matcher->remove(removed);
}

void BatchReviewPane::clearAddedAndSkipped()
{
    m_matcher->remove(BatchReview::addedAndSkipped(m_matcher->items()));
}

void BatchReviewPane::clearEverything()
{
    m_matcher->clear();
}

int BatchReviewPane::addIncluded()
{
    const int added = m_matcher->addIncluded();
    m_addedMessage->setText(added == 1
            ? tr("Added 1 record. Artwork and tracklists are downloading in the background.")
            : tr("Added %1 records. Artwork and tracklists are downloading in the background.")
                  .arg(added));
    m_addedBox->show();
    if (!m_matcher->hasWork())
        emit allAdded();
    return added;
}

void BatchReviewPane::resetAddedMessage()
{
    m_addedMessage->clear();
    m_addedBox->hide();
}

bool BatchReviewPane::isShown(const QUuid &id) const
{
    return m_list->contains(id);
}

BatchItemRow *BatchReviewPane::row(const QUuid &id)
{
    return m_list->scrollTo(id);
}

void BatchReviewPane::syncRows()
{
    m_list->refreshAll();
    applyFilter();
}

void BatchReviewPane::itemChanged(const QUuid &id)
{
    m_list->refreshItem(id);
    applyFilter();
}

void BatchReviewPane::applyFilter()
{
    const QList<QUuid> ids = filteredIDs();
    m_list->setIDs(ids);
    if (!ids.isEmpty())
        m_listPages->setCurrentWidget(m_list);
    else if (m_matcher->analyzingPhoto())
        m_listPages->setCurrentWidget(m_lookingForRecords);
    else
        m_listPages->setCurrentWidget(m_emptyState);
    updateCounts();
}

void BatchReviewPane::updateCounts()
{
    const QList<BatchItem> &items = m_matcher->items();
    for (const Filter filter : BatchReview::allFilters) {
        m_filters->button(int(filter))
            ->setText(tr("%1 (%2)").arg(BatchReview::title(filter)).arg(BatchReview::count(items, filter)));
    }
    const int included = BatchReview::includedCount(items);
    m_add->setText(included == 1 ? tr("Add 1 Record") : tr("Add %1 Records").arg(included));
    m_add->setEnabled(included > 0);
    updateProgress();
}

void BatchReviewPane::updateProgress()
{
    const std::optional<QString> &photo = m_matcher->analyzingPhoto();
    const bool running = !photo && m_matcher->isRunning();
    m_readingBox->setVisible(bool(photo));
    m_matchingBox->setVisible(running);
    m_summary->setVisible(!photo && !running);
    if (photo) {
        m_reading->setText(tr("Reading %1…").arg(*photo));
    } else if (running) {
        const qsizetype total = m_matcher->items().size();
        const int done = m_matcher->doneCount();
        m_progress->setValue(total == 0 ? 0 : int(done * kProgressSteps / total));
        m_matchingText->setText(tr("Matching %1 of %2…").arg(done).arg(total));
    } else {
        m_summary->setText(BatchReview::summary(m_matcher->items()));
    }
}

void BatchReviewPane::updateFields()
{
    if (m_location->text() != m_matcher->location())
        m_location->setText(m_matcher->location());
    m_media->setCurrentIndex(m_media->findData(int(m_matcher->mediaCondition())));
    m_sleeve->setCurrentIndex(m_sleeve->findData(int(m_matcher->sleeveCondition())));
}

} // namespace vorla
