// One row of the batch review list: a typed line or a record seen in a photo, what the batch
// matcher made of it, and the row's controls (add switch, pressing picker, undo, retry). It
// shows the matcher's item with its id and edits it field by field through the matcher, so an
// edit never overwrites what the worker wrote meanwhile.
#pragma once

#include "app/batch_item.h"

#include <QByteArray>
#include <QCache>
#include <QUrl>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>
#include <stop_token>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QThreadPool;

namespace vorla {

class BatchMatcher;
class BusyIndicator;
class DataCover;

class BatchItemRow : public QWidget
{
    Q_OBJECT

public:
    // Downloads a thumbnail on a worker thread; empty bytes when it cannot be had.
    using ThumbnailFetch = std::function<QByteArray(const QUrl &, std::stop_token)>;
    // Downloaded thumbnails shared by the rows of a list, costed in kilobytes, so a row that
    // scrolls back into sight shows its cover at once instead of downloading it again.
    using ThumbnailCache = QCache<QUrl, QByteArray>;

    BatchItemRow(BatchMatcher *matcher, const QUuid &id, ThumbnailFetch fetch, QThreadPool *pool,
        ThumbnailCache *thumbnails = nullptr, QWidget *parent = nullptr);
    ~BatchItemRow() override;

    const QUuid &id() const { return m_id; }
    // Shows the matcher's current state of the item; nothing when it has left the list.
    void refresh();
    // Shows another item: the list recycles rows that scroll out of sight. The earlier item's
    // thumbnail download is cancelled and its pressings are dropped.
    void rebind(const QUuid &id);
    void setAlternate(bool alternate);

    // "1979 · UK · Vinyl, LP, Album · First Label FL 101"
    static QString details(const ReleaseCandidate &candidate);
    // "1979 · UK · FL 101"
    static QString pickerLabel(const ReleaseCandidate &candidate);
    static QString placeholderText(const BatchItem::Status &status);

signals:
    // The row's context menu or the Delete key asked to take it off the list.
    void removeRequested(const QUuid &id);

protected:
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showStatus(const BatchItem &item);
    void showPicker(const BatchItem &item);
    void showThumbnail(const BatchItem &item, const std::optional<ReleaseCandidate> &chosen);
    void cancelThumbnail();

    BatchMatcher *m_matcher;
    QUuid m_id;
    ThumbnailFetch m_fetch;
    QThreadPool *m_pool;
    ThumbnailCache *m_thumbnails;
    bool m_alternate = false;
    // What the picker and the thumbnail show, so a refresh rebuilds only what changed.
    QStringList m_pickerIDs;
    std::optional<QUrl> m_thumbnailURL;
    QString m_statusKey;
    std::stop_source m_thumbnailStop;

    QCheckBox *m_include = nullptr;
    QLabel *m_statusIcon = nullptr;
    BusyIndicator *m_busy = nullptr;
    QLabel *m_crop = nullptr;
    QLabel *m_cropArrow = nullptr;
    DataCover *m_thumbnail = nullptr;
    QLabel *m_line = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_badge = nullptr;
    QLabel *m_details = nullptr;
    QLabel *m_hint = nullptr;
    QLabel *m_placeholder = nullptr;
    QLabel *m_earlierChoice = nullptr;
    QPushButton *m_undo = nullptr;
    QComboBox *m_picker = nullptr;
    QPushButton *m_retry = nullptr;
};

} // namespace vorla
