#include "views/record_detail_view.h"

#include "app/app_settings.h"
#include "app/run_task.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "models/record_draft.h"
#include "services/barcode.h"
#include "views/collection_model.h"
#include "views/components/busy_indicator.h"
#include "views/components/record_cover.h"
#include "views/components/star_rating.h"
#include "views/components/symbol_icon.h"
#include "views/currency_format.h"
#include "views/detail_section.h"
#include "views/record_context_menu.h"

#include <QDesktopServices>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr int kCoverMaxWidth = 420;
const QColor kFavoritePink(255, 45, 85);
const QColor kWarningOrange(230, 126, 0);

// Holds the cover at most 420 points wide, centred, square.
class CoverHolder : public QWidget
{
public:
    CoverHolder(QWidget *cover, QWidget *parent)
        : QWidget(parent)
        , m_cover(cover)
    {
        cover->setParent(this);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return qMin(width, kCoverMaxWidth); }
    QSize sizeHint() const override { return { 260, 260 }; }
    QSize minimumSizeHint() const override { return { 60, 60 }; }

protected:
    void resizeEvent(QResizeEvent *) override
    {
        const int side = qMin(qMin(width(), height()), kCoverMaxWidth);
        m_cover->setGeometry((width() - side) / 2, 0, side, side);
    }

private:
    QWidget *m_cover;
};

QLabel *textLabel(QWidget *parent, const QString &name, qreal scale, bool bold)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QString gradeLabel(const QString &raw)
{
    const std::optional<Grading> grade = gradingFromRawValue(raw);
    if (!grade || *grade == Grading::notGraded)
        return {};
    return label(*grade);
}

} // namespace

RecordDetailView::RecordDetailView(ModelContext *context, const QUuid &id, RecordActions actions,
    MetadataRefresher::LookupFactory makeLookup, AppSettings &settings, QWidget *parent)
    : QScrollArea(parent)
    , m_context(context)
    , m_id(id)
    , m_actions(std::move(actions))
    , m_makeLookup(std::move(makeLookup))
    , m_settings(settings)
{
    setObjectName(QStringLiteral("recordDetailView"));
    build();
    reload();
    connect(context, &ModelContext::recordsChanged, this, [this](const QList<QUuid> &ids) {
        if (ids.contains(m_id))
            reload();
    });
    connect(&settings, &AppSettings::currencyCodeChanged, this, &RecordDetailView::updatePrice);
}

RecordDetailView::~RecordDetailView() = default;

QList<ChipItem> RecordDetailView::chipItems(const Record &record)
{
    QList<ChipItem> items;
    if (record.year())
        items.append({ QString::number(*record.year()), QStringLiteral("calendar") });
    if (!record.format().isEmpty())
        items.append({ record.format().section(u',', 0, 0), QStringLiteral("opticaldisc") });
    if (!record.country().isEmpty())
        items.append({ record.country(), QStringLiteral("globe") });
    const std::optional<Grading> media = gradingFromRawValue(record.mediaConditionRaw());
    if (media && *media != Grading::notGraded) {
        const Grading sleeve
            = gradingFromRawValue(record.sleeveConditionRaw()).value_or(Grading::notGraded);
        items.append({ shortLabel(*media) + QStringLiteral(" / ") + shortLabel(sleeve),
            QStringLiteral("checkmark.seal") });
    }
    return items;
}

bool RecordDetailView::canRefresh(const Record &record)
{
    return record.discogsReleaseID() || record.musicBrainzID()
        || !Barcode::digits(record.barcode()).isEmpty();
}

Record *RecordDetailView::record() const
{
    return m_context ? m_context->record(m_id) : nullptr;
}

void RecordDetailView::build()
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("detailContent"));
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(18);

    m_cover = new RecordCover(content);
    m_cover->setObjectName(QStringLiteral("cover"));
    m_cover->setCornerRadius(10);
    auto *shadow = new QGraphicsDropShadowEffect(m_cover);
    shadow->setColor(QColor(0, 0, 0, 77));
    shadow->setBlurRadius(28);
    shadow->setOffset(0, 6);
    m_cover->setGraphicsEffect(shadow);
    layout->addWidget(new CoverHolder(m_cover, content));

    auto *heading = new QVBoxLayout;
    heading->setSpacing(4);
    m_title = textLabel(content, QStringLiteral("title"), 1.35, true);
    m_artist = textLabel(content, QStringLiteral("artist"), 1.15, false);
    makeSecondary(m_artist);
    heading->addWidget(m_title);
    heading->addWidget(m_artist);
    layout->addLayout(heading);

    auto *ratingRow = new QHBoxLayout;
    m_rating = new StarRating(content);
    m_rating->setObjectName(QStringLiteral("rating"));
    m_rating->setStarSize(15);
    m_rating->setEditable(true);
    connect(m_rating, &StarRating::ratingEdited, this, [this](int rating) {
        if (Record *shown = record())
            shown->setRating(rating);
    });
    ratingRow->addWidget(m_rating);
    ratingRow->addStretch(1);
    m_favorite = new QToolButton(content);
    m_favorite->setObjectName(QStringLiteral("favoriteButton"));
    m_favorite->setAutoRaise(true);
    m_favorite->setIconSize(QSize(20, 20));
    connect(m_favorite, &QToolButton::clicked, this, [this] {
        if (Record *shown = record())
            shown->setIsFavorite(!shown->isFavorite());
    });
    ratingRow->addWidget(m_favorite);
    layout->addLayout(ratingRow);

    m_chips = new FlowChips(content);
    m_chips->setObjectName(QStringLiteral("chips"));
    layout->addWidget(m_chips);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_edit = new QPushButton(symbolIcon(QStringLiteral("pencil")), tr("Edit"), content);
    m_edit->setObjectName(QStringLiteral("editButton"));
    connect(m_edit, &QPushButton::clicked, this, [this] {
        if (m_actions.edit)
            m_actions.edit(m_id);
    });
    buttons->addWidget(m_edit);
    m_refresh = new QPushButton(content);
    m_refresh->setObjectName(QStringLiteral("refreshButton"));
    auto *refreshLayout = new QHBoxLayout(m_refresh);
    refreshLayout->setContentsMargins(0, 0, 0, 0);
    m_refreshSpinner = new BusyIndicator(14, m_refresh);
    m_refreshSpinner->setObjectName(QStringLiteral("refreshSpinner"));
    m_refreshSpinner->hide();
    refreshLayout->addWidget(m_refreshSpinner, 0, Qt::AlignCenter);
    connect(m_refresh, &QPushButton::clicked, this, &RecordDetailView::refresh);
    buttons->addWidget(m_refresh);
    m_web = new QPushButton(symbolIcon(QStringLiteral("safari")), QString(), content);
    m_web->setObjectName(QStringLiteral("webButton"));
    connect(m_web, &QPushButton::clicked, this, [this] {
        if (const Record *shown = record()) {
            if (const std::optional<QUrl> url = webPage(*shown))
                QDesktopServices::openUrl(*url);
        }
    });
    buttons->addWidget(m_web);
    buttons->addStretch(1);
    m_delete = new QPushButton(symbolIcon(QStringLiteral("trash")), QString(), content);
    m_delete->setObjectName(QStringLiteral("deleteButton"));
    m_delete->setToolTip(tr("Delete this record"));
    m_delete->setAccessibleName(tr("Delete"));
    connect(m_delete, &QPushButton::clicked, this, &RecordDetailView::deleteRecord);
    buttons->addWidget(m_delete);
    layout->addLayout(buttons);

    m_errorLine = new QWidget(content);
    m_errorLine->setObjectName(QStringLiteral("refreshError"));
    auto *errorLayout = new QHBoxLayout(m_errorLine);
    errorLayout->setContentsMargins(0, 0, 0, 0);
    errorLayout->setSpacing(6);
    auto *errorIcon = new QLabel(m_errorLine);
    const int iconSide = QFontMetrics(calloutFont(font())).height();
    errorIcon->setPixmap(symbolIcon(QStringLiteral("exclamationmark.triangle"), kWarningOrange)
                             .pixmap(iconSide, iconSide));
    errorLayout->addWidget(errorIcon, 0, Qt::AlignTop);
    m_errorText = new QLabel(m_errorLine);
    m_errorText->setObjectName(QStringLiteral("refreshErrorText"));
    m_errorText->setTextFormat(Qt::PlainText);
    m_errorText->setWordWrap(true);
    m_errorText->setFont(calloutFont(font()));
    QPalette orange = m_errorText->palette();
    orange.setColor(QPalette::WindowText, kWarningOrange);
    m_errorText->setPalette(orange);
    errorLayout->addWidget(m_errorText, 1);
    m_errorLine->hide();
    layout->addWidget(m_errorLine);

    auto addRow = [](DetailSection *section, const QString &name, const QString &label,
                      bool monospaced = false) {
        auto *row = new DetailRow(label, monospaced, section);
        row->setObjectName(name);
        section->contentLayout()->addWidget(row);
        return row;
    };
    auto *release = new DetailSection(tr("Release"), content);
    release->setObjectName(QStringLiteral("releaseSection"));
    m_labelRow = addRow(release, QStringLiteral("labelRow"), tr("Label"));
    m_catalogRow = addRow(release, QStringLiteral("catalogNumberRow"), tr("Catalog #"));
    m_formatRow = addRow(release, QStringLiteral("formatRow"), tr("Format"));
    m_countryRow = addRow(release, QStringLiteral("countryRow"), tr("Country"));
    m_barcodeRow = addRow(release, QStringLiteral("barcodeRow"), tr("Barcode"), true);
    m_genresRow = addRow(release, QStringLiteral("genresRow"), tr("Genres"));
    m_stylesRow = addRow(release, QStringLiteral("stylesRow"), tr("Styles"));
    layout->addWidget(release);

    auto *copy = new DetailSection(tr("Your Copy"), content);
    copy->setObjectName(QStringLiteral("copySection"));
    m_mediaRow = addRow(copy, QStringLiteral("mediaRow"), tr("Media"));
    m_sleeveRow = addRow(copy, QStringLiteral("sleeveRow"), tr("Sleeve"));
    m_locationRow = addRow(copy, QStringLiteral("locationRow"), tr("Location"));
    m_paidRow = addRow(copy, QStringLiteral("paidRow"), tr("Paid"));
    m_purchasedRow = addRow(copy, QStringLiteral("purchasedRow"), tr("Purchased"));
    m_addedRow = addRow(copy, QStringLiteral("addedRow"), tr("Added"));
    layout->addWidget(copy);

    m_tracklist = new DetailSection(tr("Tracklist"), content);
    m_tracklist->setObjectName(QStringLiteral("tracklistSection"));
    layout->addWidget(m_tracklist);

    m_notes = new DetailSection(tr("Notes"), content);
    m_notes->setObjectName(QStringLiteral("notesSection"));
    m_notesText = new QLabel(m_notes);
    m_notesText->setObjectName(QStringLiteral("notesText"));
    m_notesText->setTextFormat(Qt::PlainText);
    m_notesText->setWordWrap(true);
    m_notesText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_notesText->setFont(calloutFont(font()));
    m_notes->contentLayout()->addWidget(m_notesText);
    layout->addWidget(m_notes);
    layout->addStretch(1);
    setWidget(content);
}

void RecordDetailView::reload()
{
    const Record *shown = record();
    if (!shown)
        return;
    m_cover->setRecord(shown, true);
    m_title->setText(shown->title().isEmpty() ? tr("Untitled") : shown->title());
    m_artist->setText(shown->artist());
    m_rating->setRating(shown->rating());
    const bool favorite = shown->isFavorite();
    m_favorite->setIcon(favorite ? symbolIcon(QStringLiteral("heart.fill"), kFavoritePink)
                                 : symbolIcon(QStringLiteral("heart")));
    m_favorite->setToolTip(favorite ? tr("Remove from Favorites") : tr("Add to Favorites"));
    m_favorite->setAccessibleName(m_favorite->toolTip());
    m_chips->setItems(chipItems(*shown));

    const bool refreshable = canRefresh(*shown);
    m_refresh->setEnabled(refreshable && !m_refreshing);
    m_refresh->setToolTip(refreshable ? tr("Re-download metadata and artwork")
                                      : tr("Add a barcode or release ID to refresh metadata"));
    if (!m_refreshing) {
        m_refresh->setIcon(symbolIcon(QStringLiteral("arrow.clockwise")));
        m_refresh->setText(tr("Refresh"));
    }
    const std::optional<QUrl> url = webPage(*shown);
    m_web->setVisible(url.has_value());
    if (url) {
        const std::optional<QString> source = shown->sourceName();
        m_web->setText(source.value_or(QStringLiteral("Web")));
        m_web->setToolTip(tr("Open this release on %1").arg(source.value_or(tr("the web"))));
    }

    m_labelRow->setValue(shown->label());
    m_catalogRow->setValue(shown->catalogNumber());
    m_formatRow->setValue(shown->format());
    m_countryRow->setValue(shown->country());
    m_barcodeRow->setValue(shown->barcode());
    m_genresRow->setValue(shown->genres().join(QStringLiteral(", ")));
    m_stylesRow->setValue(shown->styles().join(QStringLiteral(", ")));
    m_mediaRow->setValue(gradeLabel(shown->mediaConditionRaw()));
    m_sleeveRow->setValue(gradeLabel(shown->sleeveConditionRaw()));
    m_locationRow->setValue(shown->location());
    updatePrice();
    m_purchasedRow->setValue(shown->purchaseDate() ? abbreviatedDate(*shown->purchaseDate())
                                                   : QString());
    m_addedRow->setValue(abbreviatedDate(shown->dateAdded()));
    reloadTracks(*shown);
    m_notesText->setText(shown->notes());
    m_notes->setVisible(!shown->notes().isEmpty());
}

void RecordDetailView::reloadTracks(const Record &record)
{
    // Edits of other fields must not rebuild thirty rows.
    const QByteArray stored = record.tracklistData().value_or(QByteArray());
    if (stored == m_shownTracklist && !m_shownTracklist.isNull())
        return;
    m_shownTracklist = stored.isNull() ? QByteArray("") : stored;
    QVBoxLayout *rows = m_tracklist->contentLayout();
    while (QLayoutItem *item = rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<Track> tracks = record.tracks();
    m_tracklist->setVisible(!tracks.isEmpty());
    const QFont callout = calloutFont(font());
    QFont digits = callout;
    for (const Track &track : tracks) {
        auto *row = new QWidget(m_tracklist);
        row->setObjectName(QStringLiteral("trackRow"));
        auto *line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        auto *position = new QLabel(track.position, row);
        position->setObjectName(QStringLiteral("trackPosition"));
        position->setTextFormat(Qt::PlainText);
        position->setFont(digits);
        position->setFixedWidth(34);
        makeSecondary(position);
        auto *title = new QLabel(track.title, row);
        title->setObjectName(QStringLiteral("trackTitle"));
        title->setTextFormat(Qt::PlainText);
        title->setWordWrap(true);
        title->setFont(callout);
        auto *duration = new QLabel(track.duration, row);
        duration->setObjectName(QStringLiteral("trackDuration"));
        duration->setTextFormat(Qt::PlainText);
        duration->setFont(digits);
        makeSecondary(duration);
        line->addWidget(position, 0, Qt::AlignTop);
        line->addWidget(title, 1, Qt::AlignTop);
        line->addWidget(duration, 0, Qt::AlignTop);
        rows->addWidget(row);
    }
}

void RecordDetailView::updatePrice()
{
    const Record *shown = record();
    const std::optional<double> price = shown ? shown->purchasePrice() : std::nullopt;
    m_paidRow->setValue(
        price ? CurrencyFormat::format(*price, m_settings.currencyCode()) : QString());
}

void RecordDetailView::setRefreshing(bool refreshing)
{
    m_refreshing = refreshing;
    m_refreshSpinner->setVisible(refreshing);
    if (refreshing) {
        m_refresh->setIcon(QIcon());
        // Keeps the button's width while the spinner stands in for its label.
        m_refresh->setMinimumWidth(m_refresh->sizeHint().width());
        m_refresh->setText(QString());
    } else {
        m_refresh->setMinimumWidth(0);
    }
    reload();
}

void RecordDetailView::refresh()
{
    const Record *shown = record();
    if (!shown || m_refreshing || !canRefresh(*shown) || !m_makeLookup)
        return;
    m_refreshError.reset();
    m_errorLine->hide();
    setRefreshing(true);
    m_refreshStop = std::stop_source();
    MetadataRefresher::Lookup lookup = m_makeLookup();
    const std::optional<qint64> discogsID = shown->discogsReleaseID();
    const std::optional<QString> musicBrainzID = shown->musicBrainzID();
    const QString barcode = shown->barcode();
    QPointer<RecordDetailView> view(this);
    QPointer<ModelContext> context(m_context);
    const QUuid id = m_id;
    // The answer outlives this view when the selection moves on: it is tied to the context
    // and finds its record again by id.
    runTask(
        m_context, m_refreshStop.get_token(),
        [lookup, discogsID, musicBrainzID, barcode](std::stop_token stop) {
            return lookup(discogsID, musicBrainzID, barcode, stop);
        },
        [view, context, id](TaskResult<std::optional<RecordDraft>> result) {
            std::optional<QString> error;
            try {
                const std::optional<RecordDraft> &draft = result.get();
                if (!draft)
                    error = tr("No matching release was found.");
                else if (Record *target = context ? context->record(id) : nullptr)
                    target->applyReleaseMetadata(*draft);
            } catch (const CancelledError &) {
                return;
            } catch (const std::exception &failure) {
                error = QString::fromUtf8(failure.what());
            }
            if (view)
                view->finishRefresh(error);
        });
}

void RecordDetailView::finishRefresh(const std::optional<QString> &error)
{
    m_refreshError = error;
    m_errorText->setText(error.value_or(QString()));
    m_errorLine->setVisible(error.has_value());
    setRefreshing(false);
    emit refreshFinished();
}

void RecordDetailView::deleteRecord()
{
    // A refresh still running must not write into a record that is about to go.
    if (m_refreshing) {
        m_refreshStop.request_stop();
        setRefreshing(false);
    }
    if (m_actions.deleteRecords)
        m_actions.deleteRecords({ m_id });
}

} // namespace vorla
