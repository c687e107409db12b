// A small capsule label with an optional symbol in front of the text.
#pragma once

#include <QWidget>

namespace vorla {

class Chip : public QWidget
{
    Q_OBJECT

public:
    explicit Chip(const QString &text, const QString &systemImage = {}, QWidget *parent = nullptr);

    QString text() const { return m_text; }
    QString systemImage() const { return m_systemImage; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QFont chipFont() const;
    int iconSide() const;

    QString m_text;
    QString m_systemImage;
};

} // namespace vorla
