// The sheet through which many records enter the collection at once: photos of shelves and
// covers, typed or pasted lines, or a text file go to the shared batch matcher, which matches
// them in the background; the review screen then shows its list. The sheet keeps nothing of
// its own between presentations: closing it leaves matching running.
#pragma once

#include "views/batch_item_row.h"
#include "views/batch_review_filter.h"

#include <QDialog>
#include <QList>
#include <QUrl>

class QFileDialog;
class QStackedWidget;
class QThreadPool;

namespace vorla {

class BatchInputPane;
class BatchMatcher;
class BatchReviewPane;

class BatchImportSheet : public QDialog
{
    Q_OBJECT

public:
    using Filter = BatchReview::Filter;

    struct Options
    {
        // Null: no thumbnails are downloaded.
        BatchItemRow::ThumbnailFetch thumbnail;
        // Null: the global pool.
        QThreadPool *pool = nullptr;
    };

    // Text files larger than this are refused: a list of records is far smaller.
    static constexpr qint64 kMaxTextFileBytes = 8 * 1024 * 1024;

    // Thumbnails come from the lookup facade's image cache.
    BatchImportSheet(BatchMatcher *matcher, bool startWithPhotoPicker, QWidget *parent = nullptr);
    BatchImportSheet(BatchMatcher *matcher, bool startWithPhotoPicker, Options options,
        QWidget *parent = nullptr);
    ~BatchImportSheet() override;

    BatchInputPane *inputPane() const { return m_input; }
    BatchReviewPane *reviewPane() const { return m_review; }
    bool isShowingReview() const;

    // Runs the photo open panel; the chosen files are imported.
    void choosePhotos();
    // Runs the text-file open panel; the chosen file's text is appended to the editor.
    void openTextFile();
    // Queues the photos, sorted by file name, with the chosen layout and shows the whole list.
    void importPhotos(const QList<QUrl> &photos);
    // Appends a text file's lines to the editor. A file that is too large or not UTF-8 text
    // is refused with a message under the editor; returns whether the text was taken.
    bool appendTextFile(const QString &path);
    int addIncluded();

    // Escape: back to the review from the input screen while the matcher has work.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void updatePage();

    BatchMatcher *m_matcher;
    bool m_startWithPhotoPicker;
    bool m_shown = false;
    bool m_showingInput = false;
    QStackedWidget *m_pages = nullptr;
    BatchInputPane *m_input = nullptr;
    BatchReviewPane *m_review = nullptr;
};

} // namespace vorla
