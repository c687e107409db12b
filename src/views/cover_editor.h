// The cover area of the record editor: previews the draft's cover and takes a new one by
// drag and drop, from a file or from the clipboard, or removes it. Every image taken in is
// reduced to a JPEG of at most 1200 pixels off the GUI thread before it is offered; an image
// that cannot be read leaves the cover as it was and says so.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>

#include <optional>
#include <stop_token>
#include <variant>

class QLabel;
class QMimeData;
class QPushButton;

namespace vorla {

class CoverPreview;

class CoverEditor : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxPixel = 1200;
    static constexpr double kQuality = 0.85;
    // Larger files are not read at all.
    static constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;

    explicit CoverEditor(QWidget *parent = nullptr);
    ~CoverEditor() override;

    // Shows a cover without counting it as an edit.
    void setCover(const std::optional<QByteArray> &data);
    std::optional<QByteArray> cover() const { return m_cover; }
    // The placeholder's seed: artist followed by title.
    void setSeed(const QString &seed);
    // An image is being reduced; a new one taken meanwhile replaces it.
    bool isBusy() const { return m_busy; }
    // Why the last image was not taken; empty after a success.
    QString message() const;

    // The three roads in, and the way out.
    void takeImageData(const QByteArray &data);
    void takeImage(const QImage &image);
    void takeFile(const QString &path);
    void choose();
    void paste();
    void remove();

    // What a drop would take: the first image, or the first local file that reads as one.
    using DropItem = std::variant<std::monostate, QImage, QString>;
    static DropItem firstImage(const QMimeData *data);

signals:
    // The user replaced or removed the cover (none: removed).
    void coverEdited(const std::optional<QByteArray> &cover);
    void busyChanged(bool busy);

private:
    friend class CoverPreview;

    template <typename Work> void encode(Work work);
    void finishEncoding(const std::optional<QByteArray> &cover);
    void setBusy(bool busy);
    void setMessage(const QString &message);
    void updateControls();
    void updatePasteEnabled();

    std::optional<QByteArray> m_cover;
    bool m_busy = false;
    std::stop_source m_encoding;
    CoverPreview *m_preview = nullptr;
    QPushButton *m_choose = nullptr;
    QPushButton *m_paste = nullptr;
    QPushButton *m_remove = nullptr;
    QLabel *m_message = nullptr;
};

} // namespace vorla
