#include "views/add_record_camera_pane.h"

#include "scanner/barcode_scanner.h"
#include "services/release_query.h"
#include "views/add_record_status_view.h"
#include <QProgressBar>
#include "views/camera_preview.h"
#include "views/components/flow_layout.h"
#include "views/components/symbol_icon.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSet>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr int kMaxOtherLines = 16;

// Four open corner brackets over the whole widget.
class ScanReticle : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal w = width() - 4, h = height() - 4, l = 26;
        QPainterPath path;
        path.moveTo(0, l);
        path.lineTo(0, 0);
        path.lineTo(l, 0);
        path.moveTo(w - l, 0);
        path.lineTo(w, 0);
        path.lineTo(w, l);
        path.moveTo(w, h - l);
        path.lineTo(w, h);
        path.lineTo(w - l, h);
        path.moveTo(l, h);
        path.lineTo(0, h);
        path.lineTo(0, h - l);
        path.translate(2, 2);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 0, 0, 100), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
        painter.setPen(QPen(QColor(255, 255, 255, 230), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
    }
};

// The black 16:9 box, fitted into the space it is given, that holds the camera area, the
// reticle and the hint.
class CameraBox : public QWidget
{
public:
    using QWidget::QWidget;

    QWidget *area = nullptr;
    QWidget *reticle = nullptr;
    QLabel *hint = nullptr;
    bool textTarget = false;

    QRect boxRect() const
    {
        QSize size(16, 9);
        size.scale(this->size(), Qt::KeepAspectRatio);
        QRect box(QPoint(0, 0), size);
        box.moveCenter(rect().center());
        return box;
    }
    void place()
    {
        const QRect box = boxRect();
        if (area)
            area->setGeometry(box);
        if (reticle) {
            reticle->setGeometry(textTarget ? box.adjusted(40, 30, -40, -30)
                                            : box.adjusted(90, 70, -90, -70));
        }
        if (hint) {
            hint->adjustSize();
            const QSize size(std::min(hint->width(), box.width() - 24), hint->height());
            hint->setGeometry(QRect(QPoint(box.center().x() - size.width() / 2,
                                        box.bottom() - 12 - size.height()),
                size));
        }
    }

protected:
    void resizeEvent(QResizeEvent *) override { place(); }
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(boxRect(), 14, 14);
        painter.fillPath(path, Qt::black);
    }
};

QToolButton *segment(const QString &text, const QString &symbol, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setIcon(symbolIcon(symbol));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    return button;
}

QLabel *secondaryText(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

AddRecordCameraPane::AddRecordCameraPane(
    AddRecordState *state, BarcodeScanner *scanner, QWidget *parent)
    : QWidget(parent)
    , m_state(state)
    , m_scanner(scanner)
{
    setObjectName(QStringLiteral("scanPane"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);

    auto *targets = new QHBoxLayout;
    targets->setSpacing(0);
    m_targetBarcode = segment(tr("Barcode"), QStringLiteral("barcode"), this);
    m_targetBarcode->setObjectName(QStringLiteral("targetBarcode"));
    m_targetText = segment(tr("Spine && Label Text"), QStringLiteral("text.viewfinder"), this);
    m_targetText->setObjectName(QStringLiteral("targetText"));
    targets->addStretch(1);
    targets->addWidget(m_targetBarcode);
    targets->addWidget(m_targetText);
    targets->addStretch(1);
    layout->addLayout(targets);
    connect(m_targetBarcode, &QToolButton::clicked, this,
        [this] { m_state->setScanTarget(AddRecordState::ScanTarget::barcode); });
    connect(m_targetText, &QToolButton::clicked, this,
        [this] { m_state->setScanTarget(AddRecordState::ScanTarget::text); });

    // The camera box.
    auto *box = new CameraBox(this);
    m_box = box;
    box->setObjectName(QStringLiteral("cameraBox"));
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    box->setMinimumHeight(160);
    box->setAcceptDrops(true);
    box->installEventFilter(this);
    m_area = new QStackedWidget(box);
    m_area->setObjectName(QStringLiteral("cameraArea"));
    m_preview = new CameraPreview(scanner->session(), m_area);
    m_preview->setObjectName(QStringLiteral("cameraPreview"));
    m_area->addWidget(m_preview);
    m_messagePage = new QWidget(m_area);
    m_messagePage->setObjectName(QStringLiteral("cameraMessage"));
    auto *message = new QVBoxLayout(m_messagePage);
    message->setSpacing(8);
    message->addStretch(1);
    m_messageIcon = new QLabel(m_messagePage);
    m_messageIcon->setAlignment(Qt::AlignCenter);
    m_messageTitle = new QLabel(m_messagePage);
    m_messageTitle->setObjectName(QStringLiteral("cameraMessageTitle"));
    m_messageTitle->setAlignment(Qt::AlignCenter);
    m_messageTitle->setStyleSheet(QStringLiteral("QLabel { color: white; font-weight: bold; }"));
    m_messageText = new QLabel(m_messagePage);
    m_messageText->setObjectName(QStringLiteral("cameraMessageText"));
    m_messageText->setAlignment(Qt::AlignCenter);
    m_messageText->setWordWrap(true);
    m_messageText->setMaximumWidth(360);
    m_messageText->setStyleSheet(QStringLiteral("QLabel { color: rgba(255, 255, 255, 180); }"));
    m_enableCamera = new QPushButton(tr("Enable Camera"), m_messagePage);
    m_enableCamera->setObjectName(QStringLiteral("enableCamera"));
    m_enableCamera->setAutoDefault(false);
    message->addWidget(m_messageIcon);
    message->addWidget(m_messageTitle);
    // Centred by stretches, not an alignment flag: an aligned item gets its one-line height
    // and the wrapped text would be cut off.
    auto *messageRow = new QHBoxLayout;
    messageRow->addStretch(1);
    messageRow->addWidget(m_messageText, 100);
    messageRow->addStretch(1);
    message->addLayout(messageRow);
    message->addWidget(m_enableCamera, 0, Qt::AlignHCenter);
    message->addStretch(1);
    m_area->addWidget(m_messagePage);
    auto *reticle = new ScanReticle(box);
    reticle->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_reticle = reticle;
    m_hint = new QLabel(box);
    m_hint->setObjectName(QStringLiteral("scanHint"));
    m_hint->setAlignment(Qt::AlignCenter);
    m_hint->setStyleSheet(QStringLiteral(
        "QLabel { color: white; background: rgba(60, 60, 60, 200); border-radius: 13px;"
        " padding: 5px 12px; font-weight: 500; }"));
    box->area = m_area;
    box->reticle = m_reticle;
    box->hint = m_hint;
    layout->addWidget(box, 1);
    connect(m_enableCamera, &QPushButton::clicked, this, [this] { m_scanner->start(); });

    // Camera chooser, image file and capture.
    auto *controls = new QHBoxLayout;
    m_cameraButton = new QToolButton(this);
    m_cameraButton->setObjectName(QStringLiteral("cameraMenuButton"));
    m_cameraButton->setIcon(symbolIcon(QStringLiteral("web.camera")));
    m_cameraButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_cameraButton->setPopupMode(QToolButton::InstantPopup);
    m_cameraMenu = new QMenu(m_cameraButton);
    m_cameraMenu->setObjectName(QStringLiteral("cameraMenu"));
    m_cameraButton->setMenu(m_cameraMenu);
    m_imageButton = new QPushButton(symbolIcon(QStringLiteral("photo")), QString(), this);
    m_imageButton->setObjectName(QStringLiteral("chooseImage"));
    m_imageButton->setAutoDefault(false);
    m_capture = new QPushButton(symbolIcon(QStringLiteral("camera")), tr("Capture"), this);
    m_capture->setObjectName(QStringLiteral("capture"));
    m_capture->setAutoDefault(false);
    m_capture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    m_capture->setToolTip(tr("Read the text currently in view (Ctrl+Return)"));
    controls->addWidget(m_cameraButton);
    controls->addStretch(1);
    controls->addWidget(m_imageButton);
    controls->addWidget(m_capture);
    layout->addLayout(controls);
    connect(m_imageButton, &QPushButton::clicked, this, &AddRecordCameraPane::chooseImageRequested);
    connect(m_capture, &QPushButton::clicked, this, &AddRecordCameraPane::captureRequested);

    // Barcode target: the typed barcode.
    m_barcodeRow = new QWidget(this);
    auto *barcodeRow = new QHBoxLayout(m_barcodeRow);
    barcodeRow->setContentsMargins(0, 0, 0, 0);
    auto *barcodeIcon = new QLabel(m_barcodeRow);
    barcodeIcon->setPixmap(symbolIcon(QStringLiteral("barcode")).pixmap(18, 18));
    m_barcodeField = new QLineEdit(m_barcodeRow);
    m_barcodeField->setObjectName(QStringLiteral("barcodeField"));
    m_barcodeField->setPlaceholderText(tr("Type a barcode, or use a USB barcode scanner"));
    QFont mono = m_barcodeField->font();
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    m_barcodeField->setFont(mono);
    barcodeRow->addWidget(barcodeIcon);
    barcodeRow->addWidget(m_barcodeField, 1);
    layout->addWidget(m_barcodeRow);
    bindText(m_barcodeField, state, &AddRecordState::barcodeText, &AddRecordState::setBarcodeText,
        &AddRecordState::barcodeTextChanged);

    // Text target: the query and what was read.
    m_textPanel = new QWidget(this);
    m_textPanel->setObjectName(QStringLiteral("textReadingPanel"));
    auto *panel = new QVBoxLayout(m_textPanel);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(8);
    auto *queryRow = new QHBoxLayout;
    auto *queryIcon = new QLabel(m_textPanel);
    queryIcon->setPixmap(symbolIcon(QStringLiteral("magnifyingglass")).pixmap(16, 16));
    m_queryField = new QLineEdit(m_textPanel);
    m_queryField->setObjectName(QStringLiteral("textQueryField"));
    m_queryField->setPlaceholderText(tr("Catalog number, or artist - title"));
    queryRow->addWidget(queryIcon);
    queryRow->addWidget(m_queryField, 1);
    panel->addLayout(queryRow);
    bindText(m_queryField, state, &AddRecordState::queryText, &AddRecordState::setQueryText,
        &AddRecordState::queryTextChanged);

    m_reading = new QStackedWidget(m_textPanel);
    m_reading->setObjectName(QStringLiteral("textReading"));
    auto *readingRow = new QWidget(m_reading);
    readingRow->setObjectName(QStringLiteral("readingRow"));
    auto *readingLayout = new QHBoxLayout(readingRow);
    readingLayout->setContentsMargins(0, 0, 0, 0);
    readingLayout->setSpacing(8);
    readingLayout->addWidget(makeSpinner(readingRow));
    readingLayout->addWidget(secondaryText(
                                 tr("Reading text… The first read after installing or updating "
                                    "Vorla can take up to a minute while text recognition gets "
                                    "ready."),
                                 readingRow),
        1);
    m_reading->addWidget(readingRow);
    auto *scroll = new QScrollArea(m_reading);
    scroll->setObjectName(QStringLiteral("readTokens"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMaximumHeight(110);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tokens = new QWidget;
    scroll->setWidget(m_tokens);
    m_reading->addWidget(scroll);
    auto *noText = secondaryText(tr("No text found. Move closer, improve the lighting, or hold "
                                    "the record steady and capture again."),
        m_reading);
    noText->setObjectName(QStringLiteral("noTextFound"));
    m_reading->addWidget(noText);
    auto *instruction = secondaryText(tr("Hold the spine, centre label or back cover in view and "
                                         "press Capture. The catalog number is usually on the "
                                         "spine and the label."),
        m_reading);
    instruction->setObjectName(QStringLiteral("captureInstruction"));
    m_reading->addWidget(instruction);
    panel->addWidget(m_reading);
    layout->addWidget(m_textPanel);

    m_status = new AddRecordStatusView(state, this);
    layout->addWidget(m_status);

    auto *paste = new QShortcut(QKeySequence::Paste, this);
    paste->setContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QShortcut::activated, this, &AddRecordCameraPane::pasteImage);
    // The fields take Ctrl+V themselves; a picture on the clipboard is still read.
    m_barcodeField->installEventFilter(this);
    m_queryField->installEventFilter(this);

    connect(state, &AddRecordState::scanTargetChanged, this, &AddRecordCameraPane::updateTarget);
    connect(state, &AddRecordState::readingTextChanged, this, [this] {
        updateCapture();
        updateReading();
    });
    connect(state, &AddRecordState::recognizedChanged, this, &AddRecordCameraPane::updateReading);
    connect(state, &AddRecordState::focusRequested, this, [this](AddRecordState::Field field) {
        if (!isVisible())
            return;
        if (field == AddRecordState::Field::barcode)
            m_barcodeField->setFocus();
        else if (m_state->scanTarget() == AddRecordState::ScanTarget::text)
            m_queryField->setFocus();
    });
    for (auto signal : { &BarcodeScanner::authorizationChanged, &BarcodeScanner::devicesChanged }) {
        connect(scanner, signal, this, &AddRecordCameraPane::updateCameraArea);
        connect(scanner, signal, this, &AddRecordCameraPane::updateMenu);
    }
    connect(scanner, &BarcodeScanner::activeDeviceIDChanged, this, &AddRecordCameraPane::updateMenu);
    for (auto signal : { &BarcodeScanner::errorMessageChanged, &BarcodeScanner::detectedCodeChanged })
        connect(scanner, signal, this, &AddRecordCameraPane::updateHint);
    connect(scanner, &BarcodeScanner::runningChanged, this, &AddRecordCameraPane::updateCapture);
    updateTarget();
    updateMenu();
}

QString AddRecordCameraPane::scanHint() const
{
    if (m_scanner->errorMessage())
        return *m_scanner->errorMessage();
    if (m_state->scanTarget() == AddRecordState::ScanTarget::text)
        return tr("Hold the spine or label inside the frame, then Capture");
    if (m_scanner->detectedCode())
        return tr("Found %1").arg(*m_scanner->detectedCode());
    return tr("Hold the barcode inside the frame");
}

QStringList AddRecordCameraPane::otherLines(const RecognizedText &recognized)
{
    QSet<QString> numbers;
    for (const QString &number : recognized.catalogNumbers)
        numbers.insert(ReleaseQuery::normalizedCatalogNumber(number));
    QStringList lines;
    for (const QString &line : recognized.lines) {
        if (lines.size() == kMaxOtherLines)
            break;
        if (!numbers.contains(ReleaseQuery::normalizedCatalogNumber(line)))
            lines.append(line);
    }
    return lines;
}

QString AddRecordCameraPane::cameraAreaPage() const
{
    if (m_area->currentWidget() == m_preview)
        return QStringLiteral("preview");
    switch (m_scanner->authorization()) {
    case CameraAuthorization::restricted:
    case CameraAuthorization::denied:
        return QStringLiteral("denied");
    case CameraAuthorization::authorized:
        return QStringLiteral("noCamera");
    case CameraAuthorization::notDetermined:
        break;
    }
    return QStringLiteral("notDetermined");
}

void AddRecordCameraPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_state->scanTarget() == AddRecordState::ScanTarget::text)
        m_queryField->setFocus();
    else
        m_barcodeField->setFocus();
}

bool AddRecordCameraPane::pasteImage()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (!data)
        return false;
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull())
            return false;
        emit imagePasted(image);
        return true;
    }
    if (data->hasUrls() && !data->urls().isEmpty() && data->urls().first().isLocalFile()) {
        emit imageDropped(data->urls().first().toLocalFile());
        return true;
    }
    return false;
}

bool AddRecordCameraPane::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_barcodeField || watched == m_queryField) && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
        const QMimeData *data = QApplication::clipboard()->mimeData();
        if (data && !data->hasText() && pasteImage())
            return true;
    }
    if (watched == m_box && event->type() == QEvent::DragEnter) {
        auto *drag = static_cast<QDragEnterEvent *>(event);
        if (drag->mimeData()->hasUrls())
            drag->acceptProposedAction();
        return true;
    }
    if (watched == m_box && event->type() == QEvent::Drop) {
        auto *drop = static_cast<QDropEvent *>(event);
        const QList<QUrl> urls = drop->mimeData()->urls();
        if (urls.isEmpty())
            return true;
        drop->acceptProposedAction();
        // Only the first of several files is read.
        if (urls.first().isLocalFile())
            emit imageDropped(urls.first().toLocalFile());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void AddRecordCameraPane::updateTarget()
{
    const bool text = m_state->scanTarget() == AddRecordState::ScanTarget::text;
    m_targetBarcode->setChecked(!text);
    m_targetText->setChecked(text);
    auto *box = static_cast<CameraBox *>(m_box);
    box->textTarget = text;
    box->setMaximumHeight(text ? 300 : QWIDGETSIZE_MAX);
    box->place();
    m_imageButton->setText(text ? tr("Read Image File…") : tr("Scan Image File…"));
    m_imageButton->setToolTip(text ? tr("Read text from a photo of the spine, label or back cover")
                                   : tr("Read a barcode from a photo of the back cover"));
    m_capture->setVisible(text);
    m_barcodeRow->setVisible(!text);
    m_textPanel->setVisible(text);
    updateCameraArea();
    updateHint();
    updateCapture();
    updateReading();
}

void AddRecordCameraPane::updateCameraArea()
{
    const bool text = m_state->scanTarget() == AddRecordState::ScanTarget::text;
    QString icon, title, message;
    bool enable = false;
    switch (m_scanner->authorization()) {
    case CameraAuthorization::restricted:
    case CameraAuthorization::denied:
        icon = QStringLiteral("video.slash");
        title = tr("Camera access is off");
        message = tr("Vorla may not open the camera. Check that your user account may use video "
                     "devices and that no other program holds the camera.");
        break;
    case CameraAuthorization::authorized:
        if (!m_scanner->devices().isEmpty()) {
            m_area->setCurrentWidget(m_preview);
            return;
        }
        icon = QStringLiteral("web.camera");
        title = tr("No camera found");
        message = tr("Connect a webcam — or type the barcode below.");
        break;
    case CameraAuthorization::notDetermined:
        icon = text ? QStringLiteral("text.viewfinder") : QStringLiteral("barcode.viewfinder");
        title = tr("Scan with your camera");
        message = text ? tr("Vorla reads catalog numbers from the spine, centre label or back cover.")
                       : tr("Vorla reads UPC and EAN barcodes on the back of the sleeve.");
        enable = true;
        break;
    }
    m_messageIcon->setPixmap(symbolIcon(icon, QColor(255, 255, 255, 204)).pixmap(34, 34));
    m_messageTitle->setText(title);
    m_messageText->setText(message);
    m_enableCamera->setVisible(enable);
    m_area->setCurrentWidget(m_messagePage);
}

void AddRecordCameraPane::updateHint()
{
    m_hint->setText(scanHint());
    static_cast<CameraBox *>(m_box)->place();
}

void AddRecordCameraPane::updateMenu()
{
    m_cameraMenu->clear();
    const QList<CameraDevice> devices = m_scanner->devices();
    QString label = tr("Camera");
    for (const CameraDevice &device : devices) {
        const bool active = m_scanner->activeDeviceID() == device.id;
        if (active)
            label = device.description;
        QAction *action = m_cameraMenu->addAction(device.description, this,
            [this, id = device.id] { m_scanner->start(id); });
        if (active)
            action->setIcon(symbolIcon(QStringLiteral("checkmark.circle")));
    }
    if (devices.isEmpty())
        m_cameraMenu->addAction(tr("No cameras available"))->setEnabled(false);
    m_cameraMenu->addSeparator();
    m_cameraMenu->addAction(tr("Refresh Camera List"), this, [this] { m_scanner->refreshDevices(); });
    m_cameraButton->setText(label);
}

void AddRecordCameraPane::updateCapture()
{
    m_capture->setEnabled(m_scanner->isRunning() && !m_state->isReadingText());
}

QPushButton *AddRecordCameraPane::tokenButton(const QString &token, bool prominent, QWidget *parent)
{
    auto *button = new QPushButton(token, parent);
    button->setObjectName(prominent ? QStringLiteral("catalogToken") : QStringLiteral("lineToken"));
    button->setAutoDefault(false);
    button->setMaximumWidth(320);
    if (prominent) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
        palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
        button->setPalette(palette);
    }
    connect(button, &QPushButton::clicked, this, [this, token, prominent] {
        const QString query = m_state->queryText();
        if (prominent || query.isEmpty())
            m_state->setQueryText(token);
        else
            m_state->setQueryText(query + u' ' + token);
        m_state->focus(AddRecordState::Field::query);
    });
    return button;
}

void AddRecordCameraPane::updateReading()
{
    // 0 reading, 1 tokens, 2 no text, 3 nothing read yet.
    const std::optional<RecognizedText> &recognized = m_state->recognized();
    if (m_state->isReadingText()) {
        m_reading->setCurrentIndex(0);
        return;
    }
    if (!recognized) {
        m_reading->setCurrentIndex(3);
        return;
    }
    if (recognized->lines.isEmpty()) {
        m_reading->setCurrentIndex(2);
        return;
    }
    // A fresh widget each time: the buttons always belong to the last result.
    auto *scroll = static_cast<QScrollArea *>(m_reading->widget(1));
    m_tokens = new QWidget;
    auto *column = new QVBoxLayout(m_tokens);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto caption = [&](const QString &text) {
        auto *label = secondaryText(text, m_tokens);
        QFont font = label->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        label->setFont(font);
        column->addWidget(label);
    };
    auto flow = [&](const QStringList &tokens, bool prominent) {
        auto *holder = new QWidget(m_tokens);
        auto *layout = new FlowLayout(6, holder);
        layout->setContentsMargins(0, 0, 0, 0);
        for (const QString &token : tokens)
            layout->addWidget(tokenButton(token, prominent, holder));
        column->addWidget(holder);
    };
    if (!recognized->catalogNumbers.isEmpty()) {
        caption(tr("Possible catalog numbers"));
        flow(recognized->catalogNumbers, true);
    }
    caption(tr("Other text (click to add to the search)"));
    flow(otherLines(*recognized), false);
    column->addStretch(1);
    scroll->setWidget(m_tokens);
    m_reading->setCurrentIndex(1);
}

} // namespace vorla
