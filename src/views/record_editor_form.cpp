#include "views/record_editor_form.h"

#include "app/app_settings.h"
#include "app/run_task.h"
#include "views/components/comma_separated_field.h"
#include "views/components/star_rating.h"
#include "views/components/symbol_icon.h"
#include "views/cover_editor.h"
#include "views/currency_format.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace vorla {

namespace {

constexpr int kCoverWidth = 170;

QLineEdit *lineEdit(QWidget *parent, const QString &name, const QString &prompt = {})
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setPlaceholderText(prompt);
    return field;
}

QGroupBox *section(QWidget *parent, const QString &title, const QString &name)
{
    auto *box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

QFormLayout *formLayout(QWidget *parent)
{
    auto *form = new QFormLayout(parent);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return form;
}

void fillGrades(QComboBox *picker)
{
    for (Grading grade : allGradings)
        picker->addItem(label(grade), QVariant::fromValue(int(grade)));
}

int gradeIndex(Grading grade)
{
    for (size_t i = 0; i < allGradings.size(); ++i) {
        if (allGradings[i] == grade)
            return int(i);
    }
    return 0;
}

} // namespace

QString RecordEditorForm::nextTrackPosition(const QList<Track> &tracks)
{
    if (tracks.isEmpty())
        return QStringLiteral("A1");
    const QString &last = tracks.last().position;
    if (last.isEmpty())
        return {};
    // The first character may be a letter outside the basic plane (two UTF-16 units).
    const qsizetype letterLength
        = last.size() > 1 && last.at(0).isHighSurrogate() && last.at(1).isLowSurrogate() ? 2 : 1;
    const char32_t letter = letterLength == 2 ? QChar::surrogateToUcs4(last.at(0), last.at(1))
                                              : char32_t(last.at(0).unicode());
    if (!QChar::isLetter(letter))
        return {};
    const QString rest = last.mid(letterLength);
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    if (!integer.match(rest).hasMatch())
        return {};
    bool ok = false;
    const qlonglong number = rest.toLongLong(&ok);
    // The largest number has no successor: no proposal rather than an overflow.
    if (!ok || number == std::numeric_limits<qlonglong>::max())
        return {};
    return last.left(letterLength) + QString::number(number + 1);
}

RecordEditorForm::RecordEditorForm(AppSettings &settings, QWidget *parent)
    : QScrollArea(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("recordEditorForm"));
    build();
    load();
    connect(&settings, &AppSettings::currencyCodeChanged, this, &RecordEditorForm::showPrice);
}

RecordEditorForm::~RecordEditorForm()
{
    m_preparation.request_stop();
}

bool RecordEditorForm::isBusy() const
{
    return m_cover->isBusy() || (m_preparing && !m_prepared);
}

void RecordEditorForm::updateBusy()
{
    if (m_busy == isBusy())
        return;
    m_busy = isBusy();
    emit busyChanged(m_busy);
}

void RecordEditorForm::prepareCover()
{
    // Only a new cover is stored on saving; the record's own stays as it is.
    const std::optional<QByteArray> wanted
        = m_draft.coverChanged ? m_draft.coverImageData : std::nullopt;
    if (wanted == m_preparing)
        return;
    m_preparation.request_stop();
    m_preparation = std::stop_source();
    m_preparing = wanted;
    m_prepared.reset();
    if (wanted) {
        runTask(
            this, m_preparation.get_token(),
            [source = *wanted](std::stop_token) { return PreparedDraftCover::prepare(source); },
            [this](TaskResult<PreparedDraftCover> result) {
                if (result.hasValue())
                    m_prepared = std::move(result.get());
                else
                    m_preparing.reset(); // saving prepares it then
                updateBusy();
            });
    }
    updateBusy();
}

void RecordEditorForm::build()
{
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(this);
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(14);

    // Cover and the four main facts.
    auto *header = section(content, QString(), QStringLiteral("headerSection"));
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setSpacing(18);
    m_cover = new CoverEditor(header);
    m_cover->setFixedWidth(kCoverWidth);
    connect(
        m_cover, &CoverEditor::coverEdited, this, [this](const std::optional<QByteArray> &cover) {
            m_draft.coverImageData = cover;
            m_draft.coverChanged = true;
            prepareCover();
            changed();
        });
    connect(m_cover, &CoverEditor::busyChanged, this, &RecordEditorForm::updateBusy);
    headerRow->addWidget(m_cover, 0, Qt::AlignTop);
    auto *mainFacts = new QWidget(header);
    auto *mainForm = formLayout(mainFacts);
    mainForm->setContentsMargins(0, 0, 0, 0);
    mainForm->setVerticalSpacing(10);
    m_title = lineEdit(mainFacts, QStringLiteral("titleField"), tr("Album title"));
    m_artist = lineEdit(mainFacts, QStringLiteral("artistField"), tr("Artist"));
    m_year = lineEdit(mainFacts, QStringLiteral("yearField"), tr("e.g. 1977"));
    m_year->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), m_year));
    m_country = lineEdit(mainFacts, QStringLiteral("countryField"));
    mainForm->addRow(tr("Title"), m_title);
    mainForm->addRow(tr("Artist"), m_artist);
    mainForm->addRow(tr("Year"), m_year);
    mainForm->addRow(tr("Country"), m_country);
    headerRow->addWidget(mainFacts, 1, Qt::AlignTop);
    layout->addWidget(header);

    auto *release = section(content, tr("Release"), QStringLiteral("releaseSection"));
    auto *releaseForm = formLayout(release);
    m_label = lineEdit(release, QStringLiteral("labelField"));
    m_catalogNumber = lineEdit(release, QStringLiteral("catalogNumberField"));
    m_format = lineEdit(release, QStringLiteral("formatField"), tr("Vinyl, LP, Album"));
    m_barcode = lineEdit(release, QStringLiteral("barcodeField"), tr("UPC / EAN"));
    m_genresHolder = new QWidget(release);
    m_stylesHolder = new QWidget(release);
    for (QWidget *holder : { m_genresHolder, m_stylesHolder }) {
        auto *holderLayout = new QVBoxLayout(holder);
        holderLayout->setContentsMargins(0, 0, 0, 0);
    }
    releaseForm->addRow(tr("Label"), m_label);
    releaseForm->addRow(tr("Catalog #"), m_catalogNumber);
    releaseForm->addRow(tr("Format"), m_format);
    releaseForm->addRow(tr("Barcode"), m_barcode);
    releaseForm->addRow(tr("Genres"), m_genresHolder);
    releaseForm->addRow(tr("Styles"), m_stylesHolder);
    layout->addWidget(release);

    auto *copy = section(content, tr("Your Copy"), QStringLiteral("copySection"));
    auto *copyForm = formLayout(copy);
    m_media = new QComboBox(copy);
    m_media->setObjectName(QStringLiteral("mediaConditionPicker"));
    m_sleeve = new QComboBox(copy);
    m_sleeve->setObjectName(QStringLiteral("sleeveConditionPicker"));
    fillGrades(m_media);
    fillGrades(m_sleeve);
    m_rating = new StarRating(copy);
    m_rating->setObjectName(QStringLiteral("ratingStars"));
    m_rating->setStarSize(14);
    m_rating->setEditable(true);
    m_favorite = new QCheckBox(tr("Favorite"), copy);
    m_favorite->setObjectName(QStringLiteral("favoriteToggle"));
    m_location = lineEdit(copy, QStringLiteral("locationField"), tr("Shelf, crate, box…"));
    m_price = lineEdit(copy, QStringLiteral("priceField"));
    auto *dateRow = new QWidget(copy);
    auto *dateLayout = new QHBoxLayout(dateRow);
    dateLayout->setContentsMargins(0, 0, 0, 0);
    m_dateKnown = new QCheckBox(dateRow);
    m_dateKnown->setObjectName(QStringLiteral("purchaseDateKnown"));
    m_dateKnown->setAccessibleName(tr("Known"));
    m_date = new QDateEdit(dateRow);
    m_date->setObjectName(QStringLiteral("purchaseDatePicker"));
    m_date->setCalendarPopup(true);
    dateLayout->addWidget(m_dateKnown);
    dateLayout->addWidget(m_date);
    dateLayout->addStretch(1);
    copyForm->addRow(tr("Media condition"), m_media);
    copyForm->addRow(tr("Sleeve condition"), m_sleeve);
    copyForm->addRow(tr("Rating"), m_rating);
    copyForm->addRow(QString(), m_favorite);
    copyForm->addRow(tr("Location"), m_location);
    copyForm->addRow(tr("Price paid"), m_price);
    copyForm->addRow(tr("Purchase date"), dateRow);
    layout->addWidget(copy);

    auto *tracklist = section(content, tr("Tracklist"), QStringLiteral("tracklistSection"));
    auto *tracklistLayout = new QVBoxLayout(tracklist);
    m_trackRows = new QVBoxLayout;
    m_trackRows->setSpacing(4);
    tracklistLayout->addLayout(m_trackRows);
    auto *addTrack
        = new QPushButton(symbolIcon(QStringLiteral("plus")), tr("Add Track"), tracklist);
    addTrack->setObjectName(QStringLiteral("addTrackButton"));
    connect(addTrack, &QPushButton::clicked, this, &RecordEditorForm::addTrack);
    tracklistLayout->addWidget(addTrack, 0, Qt::AlignLeft);
    layout->addWidget(tracklist);

    auto *notes = section(content, tr("Notes"), QStringLiteral("notesSection"));
    auto *notesLayout = new QVBoxLayout(notes);
    m_notes = new QPlainTextEdit(notes);
    m_notes->setObjectName(QStringLiteral("notesEditor"));
    m_notes->setMinimumHeight(70);
    m_notes->setTabChangesFocus(true);
    notesLayout->addWidget(m_notes);
    layout->addWidget(notes);
    layout->addStretch(1);
    setWidget(content);

    auto text = [this](QLineEdit *field, QString RecordDraft::*member) {
        connect(field, &QLineEdit::textEdited, this, [this, member](const QString &value) {
            m_draft.*member = value;
            changed();
        });
    };
    text(m_title, &RecordDraft::title);
    text(m_artist, &RecordDraft::artist);
    text(m_country, &RecordDraft::country);
    text(m_label, &RecordDraft::label);
    text(m_catalogNumber, &RecordDraft::catalogNumber);
    text(m_format, &RecordDraft::format);
    text(m_barcode, &RecordDraft::barcode);
    text(m_location, &RecordDraft::location);
    connect(m_title, &QLineEdit::textEdited, this,
        [this] { m_cover->setSeed(m_draft.artist + m_draft.title); });
    connect(m_artist, &QLineEdit::textEdited, this,
        [this] { m_cover->setSeed(m_draft.artist + m_draft.title); });
    connect(m_year, &QLineEdit::textEdited, this, [this](const QString &value) {
        bool ok = false;
        const int year = value.toInt(&ok);
        m_draft.year = ok ? std::optional<int>(year) : std::nullopt;
        changed();
    });
    auto grade = [this](QComboBox *picker, Grading RecordDraft::*member) {
        connect(picker, &QComboBox::activated, this, [this, member](int index) {
            if (index >= 0 && size_t(index) < allGradings.size())
                m_draft.*member = allGradings[size_t(index)];
            changed();
        });
    };
    grade(m_media, &RecordDraft::mediaCondition);
    grade(m_sleeve, &RecordDraft::sleeveCondition);
    connect(m_rating, &StarRating::ratingEdited, this, [this](int rating) {
        m_draft.rating = rating;
        changed();
    });
    connect(m_favorite, &QCheckBox::toggled, this, [this](bool on) {
        if (m_loading)
            return;
        m_draft.isFavorite = on;
        changed();
    });
    connect(m_price, &QLineEdit::textEdited, this, [this](const QString &value) {
        if (value.trimmed().isEmpty())
            m_draft.purchasePrice.reset();
        else if (const std::optional<double> price
            = CurrencyFormat::parse(value, m_settings.currencyCode()))
            m_draft.purchasePrice = price;
        else
            return;
        changed();
    });
    connect(m_price, &QLineEdit::editingFinished, this, &RecordEditorForm::showPrice);
    connect(m_dateKnown, &QCheckBox::toggled, this, [this](bool on) {
        if (m_loading)
            return;
        if (!on)
            m_draft.purchaseDate.reset();
        else if (!m_draft.purchaseDate)
            m_draft.purchaseDate = QDateTime::currentDateTimeUtc();
        showPurchaseDate();
        changed();
    });
    connect(m_date, &QDateEdit::dateChanged, this, [this](QDate date) {
        if (m_loading || !m_draft.purchaseDate || !date.isValid())
            return;
        // Only the day is chosen here; the time of day stays.
        QDateTime local = m_draft.purchaseDate->toLocalTime();
        local.setDate(date);
        m_draft.purchaseDate = local.toUTC();
        changed();
    });
    connect(m_notes, &QPlainTextEdit::textChanged, this, [this] {
        if (m_loading)
            return;
        m_draft.notes = m_notes->toPlainText();
        changed();
    });
}

void RecordEditorForm::setDraft(const RecordDraft &draft)
{
    m_draft = draft;
    prepareCover();
    load();
}

void RecordEditorForm::load()
{
    m_loading = true;
    m_cover->setCover(m_draft.coverImageData);
    m_cover->setSeed(m_draft.artist + m_draft.title);
    m_title->setText(m_draft.title);
    m_artist->setText(m_draft.artist);
    m_year->setText(m_draft.year ? QString::number(*m_draft.year) : QString());
    m_country->setText(m_draft.country);
    m_label->setText(m_draft.label);
    m_catalogNumber->setText(m_draft.catalogNumber);
    m_format->setText(m_draft.format);
    m_barcode->setText(m_draft.barcode);
    rebuildListFields();
    m_media->setCurrentIndex(gradeIndex(m_draft.mediaCondition));
    m_sleeve->setCurrentIndex(gradeIndex(m_draft.sleeveCondition));
    m_rating->setRating(m_draft.rating);
    m_favorite->setChecked(m_draft.isFavorite);
    m_location->setText(m_draft.location);
    showPrice();
    showPurchaseDate();
    rebuildTracks();
    m_notes->setPlainText(m_draft.notes);
    m_loading = false;
}

void RecordEditorForm::rebuildListFields()
{
    // A comma-separated field reads its list once; a new draft needs new fields.
    auto rebuild = [this](QWidget *holder, CommaSeparatedField *&field, const QString &title,
                       const QString &name, QStringList RecordDraft::*member) {
        delete field;
        field = new CommaSeparatedField(title, holder);
        field->setObjectName(name);
        field->setValues(m_draft.*member);
        holder->layout()->addWidget(field);
        connect(field, &CommaSeparatedField::valuesChanged, this,
            [this, member](const QStringList &values) {
                m_draft.*member = values;
                changed();
            });
    };
    rebuild(m_genresHolder, m_genres, tr("Genres"), QStringLiteral("genresField"),
        &RecordDraft::genres);
    rebuild(m_stylesHolder, m_styles, tr("Styles"), QStringLiteral("stylesField"),
        &RecordDraft::styles);
}

void RecordEditorForm::showPrice()
{
    m_price->setText(m_draft.purchasePrice
            ? CurrencyFormat::format(*m_draft.purchasePrice, m_settings.currencyCode())
            : QString());
}

void RecordEditorForm::showPurchaseDate()
{
    const bool known = m_draft.purchaseDate.has_value();
    const bool wasLoading = m_loading;
    m_loading = true;
    m_dateKnown->setChecked(known);
    if (known)
        m_date->setDate(m_draft.purchaseDate->toLocalTime().date());
    m_loading = wasLoading;
    m_date->setVisible(known);
}

void RecordEditorForm::rebuildTracks()
{
    while (QLayoutItem *item = m_trackRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget *parent = m_trackRows->parentWidget();
    for (const Track &track : std::as_const(m_draft.tracks)) {
        auto *row = new QWidget(parent);
        row->setObjectName(QStringLiteral("trackRow"));
        auto *line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        const QUuid id = track.id;
        auto field = [&](const QString &name, const QString &prompt, const QString &value,
                         QString Track::*member) {
            auto *edit = lineEdit(row, name, prompt);
            edit->setText(value);
            edit->setAccessibleName(prompt);
            connect(edit, &QLineEdit::textEdited, this, [this, id, member](const QString &text) {
                for (Track &entry : m_draft.tracks) {
                    if (entry.id == id)
                        entry.*member = text;
                }
                changed();
            });
            line->addWidget(edit);
            return edit;
        };
        field(QStringLiteral("trackPosition"), tr("Pos"), track.position, &Track::position)
            ->setFixedWidth(46);
        field(QStringLiteral("trackTitle"), tr("Title"), track.title, &Track::title);
        field(QStringLiteral("trackDuration"), tr("Time"), track.duration, &Track::duration)
            ->setFixedWidth(54);
        auto *remove = new QToolButton(row);
        remove->setObjectName(QStringLiteral("removeTrackButton"));
        remove->setAutoRaise(true);
        remove->setIcon(symbolIcon(
            QStringLiteral("minus.circle.fill"), palette().color(QPalette::PlaceholderText)));
        remove->setToolTip(tr("Remove track"));
        remove->setAccessibleName(tr("Remove track"));
        connect(remove, &QToolButton::clicked, this, [this, id] { removeTrack(id); });
        line->addWidget(remove);
        m_trackRows->addWidget(row);
    }
}

void RecordEditorForm::addTrack()
{
    Track track;
    track.position = nextTrackPosition(m_draft.tracks);
    m_draft.tracks.append(track);
    rebuildTracks();
    changed();
}

void RecordEditorForm::removeTrack(const QUuid &id)
{
    m_draft.tracks.removeIf([&id](const Track &track) { return track.id == id; });
    // The row that asked is deleted after this call returns, not during it.
    QMetaObject::invokeMethod(this, &RecordEditorForm::rebuildTracks, Qt::QueuedConnection);
    changed();
}

void RecordEditorForm::changed()
{
    if (!m_loading)
        emit draftChanged();
}

} // namespace vorla
