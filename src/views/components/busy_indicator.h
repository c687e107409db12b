// A small spinning arc that shows work in progress; it turns only while shown.
#pragma once

#include <QTimer>
#include <QWidget>

namespace vorla {

class BusyIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit BusyIndicator(int side = 14, QWidget *parent = nullptr);

    QSize sizeHint() const override { return { m_side, m_side }; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_side;
    int m_angle = 0;
    QTimer m_timer;
};

} // namespace vorla
