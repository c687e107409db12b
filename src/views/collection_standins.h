// Plain stand-ins for the collection browser's sidebar, grid, table, empty view and status
// bar and for the inspector's record views, used by the main window until the real views
// are placed. They show the records honestly and offer nothing they cannot do.
#pragma once

#include <QListWidget>
#include <QWidget>

class QLabel;
class QStackedLayout;

namespace vorla {

class FlowChips;
class MainWindow;
class StarRating;
class Record;

// The records as a list of covers (grid) or of text lines (list); selection follows the
// main window's.
class StandInCollectionList : public QListWidget
{
    Q_OBJECT

public:
    StandInCollectionList(MainWindow *window, bool grid, QWidget *parent = nullptr);

private:
    void reload();
    void syncSelectionFromWindow();
    void syncSelectionToWindow();

    MainWindow *m_window;
    bool m_grid;
    bool m_syncing = false;
};

// One entry, "All Records", with the collection's count.
class StandInSidebar : public QListWidget
{
    Q_OBJECT

public:
    explicit StandInSidebar(MainWindow *window, QWidget *parent = nullptr);

private:
    void reload();
    MainWindow *m_window;
};

// The record count of the visible records.
class StandInStatusBar : public QWidget
{
    Q_OBJECT

public:
    explicit StandInStatusBar(MainWindow *window, QWidget *parent = nullptr);
    QString text() const;

private:
    QLabel *m_count = nullptr;
};

// The cover and facts of one selected record, the count of several, or of the collection.
class StandInInspector : public QWidget
{
    Q_OBJECT

public:
    explicit StandInInspector(MainWindow *window, QWidget *parent = nullptr);
    void reload();
    QString headline() const;

private:
    MainWindow *m_window;
    QWidget *m_cover = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    StarRating *m_stars = nullptr;
    FlowChips *m_chips = nullptr;
};

} // namespace vorla
