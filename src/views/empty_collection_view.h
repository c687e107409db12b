// Shown in place of the grid or table while the library holds no record: explains the
// application and offers the ways to fill the collection, each only a request.
#pragma once

#include <QWidget>

class QPushButton;

namespace vorla {

class EmptyCollectionView : public QWidget
{
    Q_OBJECT
public:
    explicit EmptyCollectionView(QWidget *parent = nullptr);

    QPushButton *scanButton() const { return m_scan; }
    QPushButton *manualButton() const { return m_manual; }
    QPushButton *importPhotosButton() const { return m_photos; }
    QPushButton *importListButton() const { return m_list; }
    QPushButton *importCSVButton() const { return m_csv; }

signals:
    void scanRequested();
    void addManuallyRequested();
    void importPhotosRequested();
    void importListRequested();
    void importCSVRequested();

private:
    QPushButton *m_scan = nullptr;
    QPushButton *m_manual = nullptr;
    QPushButton *m_photos = nullptr;
    QPushButton *m_list = nullptr;
    QPushButton *m_csv = nullptr;
};

} // namespace vorla
