// Edits a list of texts (genres, styles) as one line of comma-separated text. The list is
// copied into the line once, when the field is first shown; after that, typing rewrites
// the whole list and outside changes to the list leave the line alone.
#pragma once

#include <QLineEdit>
#include <QStringList>

namespace vorla {

class CommaSeparatedField : public QLineEdit
{
    Q_OBJECT

public:
    explicit CommaSeparatedField(const QString &title, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QStringList values() const { return m_values; }
    void setValues(const QStringList &values);

    // The list a line of text stands for: pieces between commas, trimmed of spaces and
    // tabs, empty pieces dropped, repeats kept.
    static QStringList parse(const QString &text);

signals:
    void valuesChanged(const QStringList &values);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void textChangedByUser(const QString &text);

    QString m_title;
    QStringList m_values;
    bool m_loaded = false;
    bool m_loading = false;
};

} // namespace vorla
