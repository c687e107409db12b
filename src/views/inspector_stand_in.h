// The inspector column's summary until the record detail, multi-selection and statistics
// views are placed: the cover and facts of one selected record, the count of several, or the
// collection's count and genres.
#pragma once

#include <QWidget>

class QLabel;

namespace vorla {

class FlowChips;
class BrowsingState;
class StarRating;

class StandInInspector : public QWidget
{
    Q_OBJECT

public:
    explicit StandInInspector(BrowsingState *state, QWidget *parent = nullptr);
    void reload();
    QString headline() const;

private:
    BrowsingState *m_state;
    QWidget *m_cover = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    StarRating *m_stars = nullptr;
    FlowChips *m_chips = nullptr;
};

} // namespace vorla
