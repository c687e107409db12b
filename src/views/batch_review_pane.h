// The batch sheet's review screen: progress or a tally of the matcher's list, a filter, the
// values given to every added record, the rows, and the buttons that clear parts of the list
// and add the included items. Everything follows the shared matcher live.
#pragma once

#include "views/batch_item_row.h"
#include "views/batch_review_filter.h"

#include <QList>
#include <QUuid>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QThreadPool;
class QToolButton;
class QVBoxLayout;

namespace vorla {

class BatchMatcher;
class BatchReviewList;

class BatchReviewPane : public QWidget
{
    Q_OBJECT

public:
    BatchReviewPane(BatchMatcher *matcher, BatchItemRow::ThumbnailFetch fetch, QThreadPool *pool,
        QWidget *parent = nullptr);

    BatchReview::Filter filter() const { return m_filter; }
    void setFilter(BatchReview::Filter filter);
    // The ids the filter shows, in list order, as the matcher holds them now.
    QList<QUuid> filteredIDs() const;
    // The row of that item, scrolled into sight; null when the filter does not show the item.
    BatchItemRow *row(const QUuid &id);
    // Whether the filter shows the item's row.
    bool isShown(const QUuid &id) const;

    // Removes the rows at these offsets of the filtered list as it is now.
    void removeRows(const QList<int> &offsets);
    void clearAddedAndSkipped();
    void clearEverything();
    // Adds the included items; returns how many records were stored.
    int addIncluded();
    void resetAddedMessage();

signals:
    void closeRequested();
    void addMoreRequested();
    // Adding left the matcher without work.
    void allAdded();

private:
    QWidget *buildHeader();
    QWidget *buildFooter();
    void syncRows();
    void itemChanged(const QUuid &id);
    void applyFilter();
    void updateCounts();
    void updateProgress();
    void updateFields();

    BatchMatcher *m_matcher;
    BatchReview::Filter m_filter = BatchReview::Filter::all;

    QLabel *m_reading = nullptr;
    QWidget *m_readingBox = nullptr;
    QWidget *m_matchingBox = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_matchingText = nullptr;
    QLabel *m_summary = nullptr;
    QButtonGroup *m_filters = nullptr;
    QLineEdit *m_location = nullptr;
    QComboBox *m_media = nullptr;
    QComboBox *m_sleeve = nullptr;
    QWidget *m_addedBox = nullptr;
    QLabel *m_addedMessage = nullptr;
    QStackedWidget *m_listPages = nullptr;
    BatchReviewList *m_list = nullptr;
    QWidget *m_emptyState = nullptr;
    QWidget *m_lookingForRecords = nullptr;
    QPushButton *m_add = nullptr;
};

} // namespace vorla
