// The inspector for several selected records: a fanned stack of up to three covers, the
// count, and favourites, refresh and delete for all of them at once.
#pragma once

#include "views/record_actions.h"

#include <QList>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class QLabel;
class QPushButton;

namespace vorla {

class CoverStack;
class ModelContext;

class MultiSelectionView : public QWidget
{
    Q_OBJECT

public:
    MultiSelectionView(ModelContext *context, RecordActions actions, QWidget *parent = nullptr);

    // The selected records in the inspector's order; the first is drawn on top.
    void setRecords(const QList<QUuid> &ids);
    QList<QUuid> records() const { return m_ids; }

private:
    void addToFavorites();

    QPointer<ModelContext> m_context;
    RecordActions m_actions;
    QList<QUuid> m_ids;
    CoverStack *m_stack = nullptr;
    QLabel *m_count = nullptr;
};

// Up to three covers fanned out, each turned 6 degrees further and moved 14 points left.
class CoverStack : public QWidget
{
    Q_OBJECT

public:
    explicit CoverStack(ModelContext *context, QWidget *parent = nullptr);

    void setRecords(const QList<QUuid> &ids);
    // The ids drawn, front first (at most three).
    QList<QUuid> shown() const { return m_ids; }
    QSize sizeHint() const override { return { 240, 190 }; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<ModelContext> m_context;
    QList<QUuid> m_ids;
};

} // namespace vorla
