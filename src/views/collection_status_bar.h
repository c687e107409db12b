// The bar under the collection area: the count of the visible records and the tile-size
// slider, or the progress of the background metadata refresh with a way to stop it.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace vorla {

class MetadataRefresher;

class CollectionStatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit CollectionStatusBar(MetadataRefresher *refresher, QWidget *parent = nullptr);

    void setVisibleCount(qsizetype count);
    // The slider only makes sense for a grid with something in it.
    void setSliderShown(bool shown);
    void setTileSize(double size);

    QString text() const;
    bool isShowingProgress() const;
    QSlider *slider() const { return m_slider; }
    QPushButton *stopButton() const { return m_stop; }

signals:
    void tileSizeEdited(double size);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresherChanged();

    MetadataRefresher *m_refresher;
    QLabel *m_count = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_progressText = nullptr;
    QPushButton *m_stop = nullptr;
    QWidget *m_sliderGroup = nullptr;
    QSlider *m_slider = nullptr;
    bool m_sliderShown = false;
    QHBoxLayout *m_layout = nullptr;
    int m_spacerIndex = -1;
};

} // namespace vorla
