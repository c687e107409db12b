#include "views/inspector_stand_in.h"

#include "models/model_context.h"
#include "models/record.h"
#include "views/components/cover_painter.h"
#include "views/components/flow_chips.h"
#include "views/components/record_cover.h"
#include "views/components/star_rating.h"
#include "views/components/symbol_icon.h"
#include "views/browsing_state.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace vorla {

namespace {

QString countText(qsizetype count)
{
    return count == 1 ? QObject::tr("1 record") : QObject::tr("%1 records").arg(count);
}

QString displayTitle(const Record &record)
{
    return record.title().isEmpty() ? QObject::tr("Untitled") : record.title();
}

QString displayArtist(const Record &record)
{
    return record.artist().isEmpty() ? QObject::tr("Unknown Artist") : record.artist();
}

} // namespace

StandInInspector::StandInInspector(BrowsingState *state, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
{
    connect(state, &BrowsingState::selectionChanged, this, &StandInInspector::reload);
    connect(state, &BrowsingState::recordsChanged, this, &StandInInspector::reload);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(10);
    auto *cover = new RecordCover(this);
    cover->setCornerRadius(10);
    m_cover = cover;
    layout->addWidget(m_cover);
    m_title = new QLabel(this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);
    layout->addWidget(m_title);
    m_subtitle = new QLabel(this);
    m_subtitle->setWordWrap(true);
    m_subtitle->setTextFormat(Qt::PlainText);
    layout->addWidget(m_subtitle);
    m_stars = new StarRating(this);
    m_stars->setStarSize(15);
    layout->addWidget(m_stars);
    m_chips = new FlowChips(this);
    layout->addWidget(m_chips);
    layout->addStretch(1);
    reload();
}

QString StandInInspector::headline() const
{
    return m_title->text();
}

void StandInInspector::reload()
{
    const QList<Record *> selected = m_state->selectedRecords();
    auto *cover = static_cast<RecordCover *>(m_cover);
    if (selected.size() == 1) {
        const Record &record = *selected.first();
        cover->setRecord(&record, true);
        cover->show();
        m_title->setText(displayTitle(record));
        m_subtitle->setText(displayArtist(record));
        m_stars->setRating(record.rating());
        m_stars->show();
        QList<ChipItem> chips;
        if (record.year())
            chips.append({ QString::number(*record.year()), QStringLiteral("calendar") });
        if (!record.format().isEmpty())
            chips.append({ record.format(), QStringLiteral("opticaldisc") });
        if (!record.country().isEmpty())
            chips.append({ record.country(), QStringLiteral("globe") });
        if (record.mediaCondition() != Grading::notGraded)
            chips.append({ shortLabel(record.mediaCondition()), QStringLiteral("seal") });
        m_chips->setItems(chips);
        m_chips->show();
        return;
    }
    cover->setRecord(nullptr, true);
    cover->hide();
    m_stars->hide();
    if (selected.size() > 1) {
        m_title->setText(tr("%1 Records Selected").arg(selected.size()));
        m_subtitle->clear();
        m_chips->hide();
        return;
    }
    const QList<Record *> &all = m_state->context()->records();
    m_title->setText(tr("Collection"));
    m_subtitle->setText(countText(all.size()));
    QList<ChipItem> genres;
    for (const auto &[genre, count] : Record::genreCounts(all))
        genres.append({ QStringLiteral("%1 %2").arg(genre).arg(count), QStringLiteral("tag") });
    m_chips->setItems(genres);
    m_chips->setVisible(!genres.isEmpty());
}

} // namespace vorla
