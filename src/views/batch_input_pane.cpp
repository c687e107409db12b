#include "views/batch_input_pane.h"

#include "app/app_settings.h"
#include "app/batch_matcher.h"
#include "views/components/symbol_icon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <functional>

namespace vorla {

namespace {

QColor secondary(const QPalette &palette)
{
    return palette.color(QPalette::PlaceholderText);
}

QLabel *secondaryLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondary(palette));
    label->setPalette(palette);
    return label;
}

QString layoutLabel(PhotoLayout layout)
{
    switch (layout) {
    case PhotoLayout::automatic:
        return BatchInputPane::tr("Detect Automatically");
    case PhotoLayout::spines:
        return BatchInputPane::tr("Shelf of Spines");
    case PhotoLayout::covers:
        return BatchInputPane::tr("Front or Back Covers");
    }
    return {};
}

// The rounded box photos are dropped on; outlined while a drag with files hovers over it.
class PhotoDropZone : public QFrame
{
public:
    PhotoDropZone(std::function<void(const QList<QUrl> &)> dropped, QWidget *parent)
        : QFrame(parent)
        , m_dropped(std::move(dropped))
    {
        setAcceptDrops(true);
    }

    std::function<void(bool)> targetedChanged;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (!event->mimeData()->hasUrls())
            return;
        event->acceptProposedAction();
        setTargeted(true);
    }
    void dragLeaveEvent(QDragLeaveEvent *) override { setTargeted(false); }
    void dropEvent(QDropEvent *event) override
    {
        setTargeted(false);
        event->acceptProposedAction();
        m_dropped(event->mimeData()->urls());
    }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 10, 10);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.05);
        painter.fillPath(path, fill);
        if (m_targeted) {
            QPen pen(palette().color(QPalette::Highlight), 2);
            pen.setDashPattern({ 3, 3 });
            painter.setPen(pen);
            painter.drawPath(path);
        }
    }

private:
    void setTargeted(bool targeted)
    {
        if (m_targeted == targeted)
            return;
        m_targeted = targeted;
        if (targetedChanged)
            targetedChanged(targeted);
        update();
    }

    std::function<void(const QList<QUrl> &)> m_dropped;
    bool m_targeted = false;
};

} // namespace

BatchInputPane::BatchInputPane(BatchMatcher *matcher, QWidget *parent)
    : QWidget(parent)
    , m_matcher(matcher)
{
    setObjectName(QStringLiteral("inputPane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto *top = new QVBoxLayout;
    top->setContentsMargins(20, 20, 20, 20);
    top->setSpacing(8);
    auto *title = new QLabel(tr("Import Records from Photos or a List"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.55);
    titleFont.setBold(true);
    title->setFont(titleFont);
    top->addWidget(title);
    top->addSpacing(6);
    top->addWidget(buildDropZone());
    top->addSpacing(6);
    auto *about = secondaryLabel(
        tr("Or type or paste one record per line, for example while you flip through a shelf. "
           "Vorla matches each line against Discogs in the background, and you review the "
           "matches before anything is added."),
        this);
    about->setWordWrap(true);
    top->addWidget(about);

    auto *examples = new QGridLayout;
    examples->setHorizontalSpacing(16);
    examples->setVerticalSpacing(3);
    examples->setContentsMargins(0, 4, 0, 0);
    const struct
    {
        const char *line;
        const char *meaning;
    } rows[] = {
        { "Ana Lua - Low Harbour", QT_TR_NOOP("artist and title") },
        { "Ana Lua - Low Harbour - ALM 2041", QT_TR_NOOP("artist, title and catalog number (most precise)") },
        { "ALM 2041", QT_TR_NOOP("catalog number from the spine or label") },
        { "Harbour Records HR 1107", QT_TR_NOOP("label and catalog number") },
        { "Artist \u21e5 Title \u21e5 Cat #", QT_TR_NOOP("columns pasted from a spreadsheet") },
    };
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < int(std::size(rows)); ++i) {
        auto *line = new QLabel(QString::fromUtf8(rows[i].line), this);
        line->setFont(mono);
        examples->addWidget(line, i, 0);
        examples->addWidget(secondaryLabel(tr(rows[i].meaning), this), i, 1);
    }
    examples->setColumnStretch(2, 1);
    top->addLayout(examples);
    layout->addLayout(top);

    auto *editorBox = new QVBoxLayout;
    editorBox->setContentsMargins(20, 0, 20, 0);
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("editor"));
    m_editor->setFont(mono);
    m_editor->setPlaceholderText(tr("One record per line…"));
    m_editor->setTabChangesFocus(false);
    connect(m_editor, &QPlainTextEdit::textChanged, this, &BatchInputPane::updateFooter);
    editorBox->addWidget(m_editor, 1);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setStyleSheet(QStringLiteral("QLabel { color: #d70015; }"));
    m_note->hide();
    editorBox->addWidget(m_note);
    layout->addLayout(editorBox, 1);

    layout->addSpacing(14);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(14, 14, 14, 14);
    footer->setSpacing(8);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &BatchInputPane::cancelRequested);
    footer->addWidget(m_cancel);
    auto *open = new QPushButton(tr("Open Text File…"), this);
    open->setObjectName(QStringLiteral("openTextFile"));
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, this, &BatchInputPane::openTextFileRequested);
    footer->addWidget(open);
    footer->addStretch(1);
    m_lineCount = secondaryLabel(QString(), this);
    m_lineCount->setObjectName(QStringLiteral("lineCount"));
    footer->addWidget(m_lineCount);
    m_match = new QPushButton(this);
    m_match->setObjectName(QStringLiteral("match"));
    m_match->setDefault(true);
    connect(m_match, &QPushButton::clicked, this, &BatchInputPane::match);
    // Return in the editor starts a new line, so matching has a shortcut of its own. Not the
    // button's: setting its text replaces that with the text's mnemonic.
    auto *matchShortcut = new QShortcut(m_match);
    matchShortcut->setKeys(
        { QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) });
    connect(matchShortcut, &QShortcut::activated, m_match, [this] {
        if (m_match->isEnabled())
            m_match->animateClick();
    });
    m_match->setToolTip(tr("Search for the lines (%1)")
                            .arg(matchShortcut->key().toString(QKeySequence::NativeText)));
    footer->addWidget(m_match);
    layout->addLayout(footer);

    connect(m_matcher, &BatchMatcher::itemsChanged, this, &BatchInputPane::updateFooter);
    connect(m_matcher, &BatchMatcher::pendingPhotosChanged, this, &BatchInputPane::updateFooter);
    connect(m_matcher, &BatchMatcher::analyzingPhotoChanged, this, &BatchInputPane::updateFooter);
    updateFooter();
}

QWidget *BatchInputPane::buildDropZone()
{
    auto *zone = new PhotoDropZone(
        [this](const QList<QUrl> &urls) {
            const QList<QUrl> photos = imageFiles(urls);
            if (!photos.isEmpty())
                emit photosDropped(photos);
        },
        this);
    zone->setObjectName(QStringLiteral("photoDropZone"));
    auto *layout = new QHBoxLayout(zone);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(16);
    auto *icon = new QLabel(zone);
    const auto paintIcon = [icon](const QColor &color) {
        icon->setPixmap(symbolIcon(QStringLiteral("photo.stack"), color).pixmap(QSize(40, 40)));
    };
    paintIcon(secondary(palette()));
    zone->targetedChanged = [this, paintIcon](bool targeted) {
        paintIcon(targeted ? palette().color(QPalette::Highlight) : secondary(palette()));
    };
    layout->addWidget(icon);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(6);
    auto *headline = new QLabel(tr("Drop photos of a shelf of spines, or of front or back covers"), zone);
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    texts->addWidget(headline);
    auto *about = secondaryLabel(tr("Vorla finds each record in the photo, reads its title, artist, "
                                    "catalog number or barcode, and identifies it on Discogs."),
        zone);
    about->setWordWrap(true);
    texts->addWidget(about);
    auto *controls = new QHBoxLayout;
    controls->setSpacing(12);
    controls->addWidget(new QLabel(tr("Photos show"), zone));
    m_layout = new QComboBox(zone);
    m_layout->setObjectName(QStringLiteral("photoLayout"));
    for (const PhotoLayout layout : allPhotoLayouts())
        m_layout->addItem(layoutLabel(layout), rawValue(layout));
    const QString stored = AppSettings::shared().value(AppSettings::photoLayoutKey).toString();
    m_layout->setCurrentIndex(
        int(allPhotoLayouts().indexOf(photoLayoutFromRawValue(stored).value_or(PhotoLayout::automatic))));
    connect(m_layout, &QComboBox::activated, this, [this] {
        AppSettings::shared().setValue(AppSettings::photoLayoutKey, m_layout->currentData());
    });
    controls->addWidget(m_layout);
    m_autoAdd = new QCheckBox(tr("Add confirmed matches automatically"), zone);
    m_autoAdd->setObjectName(QStringLiteral("autoAdd"));
    m_autoAdd->setToolTip(tr("Adds a record without asking only when the photo itself confirms it: "
                             "its barcode, or its artist and title (or catalog number) were read "
                             "from the spine or cover."));
    connect(m_autoAdd, &QCheckBox::clicked, m_matcher, &BatchMatcher::setAutoAddCertainPhotoMatches);
    connect(m_matcher, &BatchMatcher::autoAddCertainPhotoMatchesChanged, m_autoAdd,
        [this] { m_autoAdd->setChecked(m_matcher->autoAddCertainPhotoMatches()); });
    m_autoAdd->setChecked(m_matcher->autoAddCertainPhotoMatches());
    controls->addWidget(m_autoAdd);
    controls->addStretch(1);
    texts->addLayout(controls);
    layout->addLayout(texts, 1);

    auto *choose = new QPushButton(tr("Choose Photos…"), zone);
    choose->setObjectName(QStringLiteral("choosePhotos"));
    choose->setAutoDefault(false);
    choose->setMinimumHeight(choose->sizeHint().height() + 8);
    connect(choose, &QPushButton::clicked, this, &BatchInputPane::choosePhotosRequested);
    layout->addWidget(choose);
    return zone;
}

QString BatchInputPane::text() const
{
    return m_editor->toPlainText();
}

void BatchInputPane::setText(const QString &text)
{
    m_editor->setPlainText(text);
}

void BatchInputPane::appendText(const QString &fileText)
{
    m_editor->setPlainText(BatchText::appended(text(), fileText));
}

BatchText::Lines BatchInputPane::lines() const
{
    return BatchText::split(text());
}

PhotoLayout BatchInputPane::photoLayout() const
{
    return photoLayoutFromRawValue(m_layout->currentData().toString()).value_or(PhotoLayout::automatic);
}

void BatchInputPane::showNote(const QString &message)
{
    m_note->setText(message);
    m_note->setVisible(!message.isEmpty());
}

int BatchInputPane::match()
{
    const BatchText::Lines split = lines();
    if (split.queued.isEmpty())
        return 0;
    m_matcher->enqueue(split.queued.join(u'\n'));
    setText(split.skipped.join(u'\n'));
    showNote(split.skipped.isEmpty()
            ? QString()
            : tr("These lines were left out: they name no artist, title, label or catalog number."));
    emit matched();
    return int(split.queued.size());
}

QList<QUrl> BatchInputPane::imageFiles(const QList<QUrl> &urls)
{
    const QMimeDatabase mimes;
    QList<QUrl> images;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QMimeType type = mimes.mimeTypeForFile(url.toLocalFile(), QMimeDatabase::MatchExtension);
        if (type.name().startsWith(u"image/"))
            images.append(url);
    }
    return images;
}

void BatchInputPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateFooter();
    m_editor->setFocus();
}

void BatchInputPane::updateFooter()
{
    m_cancel->setText(m_matcher->hasWork() ? tr("Back to Review") : tr("Cancel"));
    const BatchText::Lines split = lines();
    m_lineCount->setText(split.nonBlank == 1 ? tr("1 line") : tr("%1 lines").arg(split.nonBlank));
    const auto queued = split.queued.size();
    m_match->setText(queued == 1 ? tr("Match 1 Record") : tr("Match %1 Records").arg(queued));
    m_match->setEnabled(queued > 0);
}

} // namespace vorla
