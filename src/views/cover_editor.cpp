#include "views/cover_editor.h"

#include "app/run_task.h"
#include "core/image_util.h"
#include "views/components/cover_views.h"
#include "views/components/symbol_icon.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr qreal kCornerRadius = 8;

QString unreadableImage()
{
    return CoverEditor::tr("That image couldn't be read. The cover is unchanged.");
}

} // namespace

// The preview: the cover with a dashed frame while a drop would be taken, and a hint at its
// bottom while the pointer is over it or there is no cover.
class CoverPreview : public DataCover
{
public:
    explicit CoverPreview(CoverEditor *editor)
        : DataCover(editor)
        , m_editor(editor)
    {
        setAcceptDrops(true);
        setAttribute(Qt::WA_Hover);
        setAccessibleName(CoverEditor::tr("Cover art"));
    }

    bool targeted = false;
    bool hovering = false;
    bool hasCover = false;

    QString hint() const
    {
        if (!hovering && hasCover)
            return {};
        return hasCover ? CoverEditor::tr("Drop to replace") : CoverEditor::tr("Drop artwork here");
    }

protected:
    void enterEvent(QEnterEvent *event) override
    {
        hovering = true;
        update();
        DataCover::enterEvent(event);
    }
    void leaveEvent(QEvent *event) override
    {
        hovering = false;
        update();
        DataCover::leaveEvent(event);
    }
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        if (std::holds_alternative<std::monostate>(CoverEditor::firstImage(event->mimeData()))) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        targeted = true;
        update();
    }
    void dragLeaveEvent(QDragLeaveEvent *) override
    {
        targeted = false;
        update();
    }
    void dropEvent(QDropEvent *event) override
    {
        targeted = false;
        update();
        const CoverEditor::DropItem item = CoverEditor::firstImage(event->mimeData());
        if (const auto *image = std::get_if<QImage>(&item)) {
            m_editor->takeImage(*image);
        } else if (const auto *path = std::get_if<QString>(&item)) {
            m_editor->takeFile(*path);
        } else {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
    }
    void paintEvent(QPaintEvent *event) override
    {
        DataCover::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF square = QRectF(rect()).adjusted(0, 0, 0, 0);
        const qreal side = qMin(square.width(), square.height());
        const QRectF cover(
            (width() - side) / 2, (height() - side) / 2, side, side);
        if (targeted) {
            QPen dashed(palette().color(QPalette::Highlight), 3, Qt::CustomDashLine, Qt::FlatCap,
                Qt::MiterJoin);
            dashed.setDashPattern({ 2, 2 });
            painter.setPen(dashed);
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(cover.adjusted(1.5, 1.5, -1.5, -1.5), kCornerRadius, kCornerRadius);
        }
        const QString text = hint();
        if (text.isEmpty())
            return;
        QFont caption = font();
        caption.setPointSizeF(caption.pointSizeF() * 0.8);
        caption.setWeight(QFont::Medium);
        const QFontMetrics metrics(caption);
        const QSizeF capsuleSize(metrics.horizontalAdvance(text) + 16, metrics.height() + 8);
        const QRectF capsule(cover.center().x() - capsuleSize.width() / 2,
            cover.bottom() - 8 - capsuleSize.height(), capsuleSize.width(), capsuleSize.height());
        QPainterPath path;
        path.addRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        QColor material = palette().color(QPalette::Window);
        material.setAlphaF(0.8);
        painter.fillPath(path, material);
        painter.setFont(caption);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(capsule, Qt::AlignCenter, text);
    }

private:
    CoverEditor *m_editor;
};

CoverEditor::CoverEditor(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("coverEditor"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_preview = new CoverPreview(this);
    m_preview->setObjectName(QStringLiteral("coverPreview"));
    m_preview->setCornerRadius(kCornerRadius);
    layout->addWidget(m_preview);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addStretch(1);
    m_choose = new QPushButton(tr("Choose…"), this);
    m_choose->setObjectName(QStringLiteral("chooseCoverButton"));
    connect(m_choose, &QPushButton::clicked, this, &CoverEditor::choose);
    buttons->addWidget(m_choose);
    m_paste = new QPushButton(tr("Paste"), this);
    m_paste->setObjectName(QStringLiteral("pasteCoverButton"));
    connect(m_paste, &QPushButton::clicked, this, &CoverEditor::paste);
    buttons->addWidget(m_paste);
    m_remove = new QPushButton(symbolIcon(QStringLiteral("trash")), QString(), this);
    m_remove->setObjectName(QStringLiteral("removeCoverButton"));
    m_remove->setToolTip(tr("Remove artwork"));
    m_remove->setAccessibleName(tr("Remove artwork"));
    connect(m_remove, &QPushButton::clicked, this, &CoverEditor::remove);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    for (QPushButton *button : { m_choose, m_paste, m_remove }) {
        QFont small = button->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        button->setFont(small);
    }
    layout->addLayout(buttons);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("coverMessage"));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setAlignment(Qt::AlignHCenter);
    QFont caption = m_message->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.8);
    m_message->setFont(caption);
    m_message->hide();
    layout->addWidget(m_message);

    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
        &CoverEditor::updatePasteEnabled);
    updatePasteEnabled();
    updateControls();
}

CoverEditor::~CoverEditor()
{
    m_encoding.request_stop();
}

void CoverEditor::setCover(const std::optional<QByteArray> &data)
{
    m_cover = data;
    updateControls();
}

void CoverEditor::setSeed(const QString &seed)
{
    m_preview->setSeed(seed);
}

QString CoverEditor::message() const
{
    return m_message->text();
}

void CoverEditor::setMessage(const QString &message)
{
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

void CoverEditor::updateControls()
{
    m_preview->setData(m_cover.value_or(QByteArray()));
    m_preview->hasCover = m_cover.has_value();
    m_preview->update();
    m_remove->setVisible(m_cover.has_value());
}

void CoverEditor::updatePasteEnabled()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    m_paste->setEnabled(data && data->hasImage());
}

void CoverEditor::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

template <typename Work> void CoverEditor::encode(Work work)
{
    // The newest image wins: a slower, older one must not land after it.
    m_encoding.request_stop();
    m_encoding = std::stop_source();
    setBusy(true);
    runTask(this, m_encoding.get_token(),
        [work = std::move(work)](std::stop_token) -> std::optional<QByteArray> {
            return work();
        },
        [this](TaskResult<std::optional<QByteArray>> result) {
            std::optional<QByteArray> cover;
            if (result.hasValue())
                cover = result.get();
            finishEncoding(cover);
        });
}

void CoverEditor::finishEncoding(const std::optional<QByteArray> &cover)
{
    setBusy(false);
    if (!cover) {
        setMessage(unreadableImage());
        return;
    }
    setMessage({});
    m_cover = cover;
    updateControls();
    emit coverEdited(m_cover);
}

void CoverEditor::takeImageData(const QByteArray &data)
{
    encode([data] { return ImageUtil::downscaledJPEG(data, kMaxPixel, kQuality); });
}

void CoverEditor::takeImage(const QImage &image)
{
    encode([image]() -> std::optional<QByteArray> {
        if (image.isNull())
            return std::nullopt;
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return std::nullopt;
        return ImageUtil::downscaledJPEG(png, kMaxPixel, kQuality);
    });
}

void CoverEditor::takeFile(const QString &path)
{
    encode([path]() -> std::optional<QByteArray> {
        QFile file(path);
        if (file.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return ImageUtil::downscaledJPEG(file.readAll(), kMaxPixel, kQuality);
    });
}

void CoverEditor::choose()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
    auto *dialog = new QFileDialog(this, tr("Choose Artwork"));
    dialog->setObjectName(QStringLiteral("coverFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(tr("Images (%1)").arg(patterns.join(u' ')));
    connect(dialog, &QFileDialog::fileSelected, this, &CoverEditor::takeFile);
    dialog->open();
}

void CoverEditor::paste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    takeImage(qvariant_cast<QImage>(data->imageData()));
}

void CoverEditor::remove()
{
    m_encoding.request_stop();
    setBusy(false);
    setMessage({});
    m_cover.reset();
    updateControls();
    emit coverEdited(m_cover);
}

CoverEditor::DropItem CoverEditor::firstImage(const QMimeData *data)
{
    if (!data)
        return {};
    if (data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull())
            return image;
    }
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isFile() && QImageReader(path).canRead())
            return path;
    }
    return {};
}

} // namespace vorla
