// Shown in place of the grid or table when a search or sidebar filter leaves no record.
#pragma once

#include <QWidget>

class QLabel;

namespace vorla {

class SearchEmptyView : public QWidget
{
    Q_OBJECT

public:
    explicit SearchEmptyView(QWidget *parent = nullptr);

    void setSearchText(const QString &text);
    QString titleText() const;
    QString descriptionText() const;

private:
    QLabel *m_title = nullptr;
    QLabel *m_description = nullptr;
};

} // namespace vorla
