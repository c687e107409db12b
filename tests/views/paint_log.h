// Notes the regions a widget paints, so a test can tell what was repainted and when.
#pragma once

#include <QEvent>
#include <QList>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

namespace vorla::test {

class PaintLog : public QObject
{
public:
    explicit PaintLog(QWidget *widget) { widget->installEventFilter(this); }

    QList<QRegion> regions;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            regions.append(static_cast<QPaintEvent *>(event)->region());
        return false;
    }
};

} // namespace vorla::test
