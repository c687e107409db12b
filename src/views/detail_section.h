// The inspector's building blocks: a titled, filled box of content, and one label-value
// line inside it that takes no room while its value is empty.
#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace vorla {

class DetailSection : public QWidget
{
    Q_OBJECT

public:
    explicit DetailSection(const QString &title, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    // Where the content goes (spacing 6 inside a 12-point padding).
    QVBoxLayout *contentLayout() const { return m_content; }

private:
    QString m_title;
    QVBoxLayout *m_content = nullptr;
};

class DetailRow : public QWidget
{
    Q_OBJECT

public:
    DetailRow(const QString &label, bool monospaced = false, QWidget *parent = nullptr);

    QString label() const;
    QString value() const;
    // An empty value hides the row.
    void setValue(const QString &value);

private:
    QLabel *m_label = nullptr;
    QLabel *m_value = nullptr;
};

// The smaller font of detail texts.
QFont calloutFont(const QFont &base);
// Text of secondary importance in the palette's colours.
void makeSecondary(QWidget *widget);

} // namespace vorla
