// A stored record's cover, drawn through the shared image cache (so a new cover revision
// is decoded afresh), with the vinyl placeholder seeded by artist and title.
#pragma once

#include "views/components/cover_views.h"

#include <QPointer>
#include <QUuid>

namespace vorla {

class ModelContext;
class Record;

// The decoded cover (full) or thumbnail of a record; null when it has none.
QImage recordCoverImage(const Record &record, bool full);
// The placeholder's seed: the artist followed by the title, nothing between.
QString coverSeed(const Record &record);

class RecordCover : public SquareCover
{
    Q_OBJECT

public:
    explicit RecordCover(QWidget *parent = nullptr);

    // Shows the record; it is looked up again by id on every paint, so a deleted record
    // shows nothing and edits show at once.
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
