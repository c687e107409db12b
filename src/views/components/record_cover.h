// A stored record's cover, drawn through the shared image cache (so a new cover revision
// is decoded afresh, off the GUI thread), with the vinyl placeholder seeded by artist and
// title while there is no image.
#pragma once

#include "views/components/cover_views.h"

#include <QPointer>
#include <QUuid>

namespace vorla {

class ModelContext;
class Record;

// The decoded cover (full) or thumbnail of a record; null when it has none or while it is
// decoded, after which ImageCache::imageReady() reports it.
QImage recordCoverImage(const Record &record, bool full);
// Whether the image ImageCache::imageReady() reported under `key` is that cover.
bool isRecordCoverKey(const QString &key, const Record &record, bool full);
// The placeholder's seed: the artist followed by the title, nothing between.
QString coverSeed(const Record &record);

class RecordCover : public SquareCover
{
    Q_OBJECT

public:
    explicit RecordCover(QWidget *parent = nullptr);

    // Shows the record; it is looked up again by id on every paint, so a deleted record
    // shows nothing and edits show at once (a new cover once it is decoded).
    void setRecord(const Record *record, bool full);
    QUuid recordID() const { return m_id; }

protected:
    QImage image() const override;
    QString seed() const override;
    void paintEvent(QPaintEvent *event) override;

private:
    const Record *record() const;

    QPointer<ModelContext> m_context;
    QUuid m_id;
    bool m_full = false;
};

} // namespace vorla
