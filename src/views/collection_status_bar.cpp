#include "views/collection_status_bar.h"

#include "app/metadata_refresher.h"
#include "views/collection_filter.h"
#include "views/components/symbol_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace vorla {

namespace {

QLabel *symbolLabel(const QString &name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(symbolIcon(name).pixmap(12, 12));
    return label;
}

} // namespace

CollectionStatusBar::CollectionStatusBar(MetadataRefresher *refresher, QWidget *parent)
    : QWidget(parent)
    , m_refresher(refresher)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.92);
    setFont(small);
    QPalette dim = palette();
    QColor text = dim.color(QPalette::WindowText);
    text.setAlphaF(0.65);
    dim.setColor(QPalette::WindowText, text);
    setPalette(dim);

    auto *layout = new QHBoxLayout(this);
    m_layout = layout;
    layout->setContentsMargins(14, 6, 14, 6);
    layout->setSpacing(12);

    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(120);
    m_progress->setMaximumHeight(8);
    m_progressText = new QLabel(this);
    m_progressText->setObjectName(QStringLiteral("progressText"));
    m_progressText->setTextFormat(Qt::PlainText);
    m_progressText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_stop = new QPushButton(tr("Stop"), this);
    m_stop->setFlat(true);
    m_stop->setCursor(Qt::PointingHandCursor);
    m_stop->setStyleSheet(QStringLiteral("QPushButton { border: none; color: palette(link); padding: 0 2px; }"));
    m_count = new QLabel(this);
    layout->addWidget(m_progress);
    layout->addWidget(m_progressText, 1);
    layout->addWidget(m_stop);
    layout->addWidget(m_count);
    // The space beside the count; while the progress shows, its text takes all of it.
    layout->addStretch(1);
    m_spacerIndex = layout->count() - 1;

    m_sliderGroup = new QWidget(this);
    auto *sliderLayout = new QHBoxLayout(m_sliderGroup);
    sliderLayout->setContentsMargins(0, 0, 0, 0);
    sliderLayout->setSpacing(6);
    m_slider = new QSlider(Qt::Horizontal, m_sliderGroup);
    m_slider->setRange(120, 280);
    m_slider->setFixedWidth(110);
    m_slider->setAccessibleName(tr("Tile size"));
    sliderLayout->addWidget(symbolLabel(QStringLiteral("square.grid.3x3"), m_sliderGroup));
    sliderLayout->addWidget(m_slider);
    sliderLayout->addWidget(symbolLabel(QStringLiteral("square.grid.2x2"), m_sliderGroup));
    layout->addWidget(m_sliderGroup);

    connect(m_slider, &QSlider::valueChanged, this, [this](int value) { emit tileSizeEdited(value); });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_refresher)
            m_refresher->cancel();
    });
    if (m_refresher) {
        connect(m_refresher, &MetadataRefresher::isRunningChanged, this, &CollectionStatusBar::refresherChanged);
        connect(m_refresher, &MetadataRefresher::progressChanged, this, &CollectionStatusBar::refresherChanged);
        connect(m_refresher, &MetadataRefresher::currentTitleChanged, this, &CollectionStatusBar::refresherChanged);
    }
    setVisibleCount(0);
    refresherChanged();
    setSliderShown(false);
}

void CollectionStatusBar::setVisibleCount(qsizetype count)
{
    m_count->setText(recordCountText(count));
}

void CollectionStatusBar::setSliderShown(bool shown)
{
    m_sliderShown = shown;
    m_sliderGroup->setVisible(shown);
}

void CollectionStatusBar::setTileSize(double size)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(int(std::lround(size)));
}

void CollectionStatusBar::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // The divider between the collection and the bar.
    QPainter painter(this);
    QColor line = palette().color(QPalette::WindowText);
    line.setAlphaF(0.15);
    painter.setPen(line);
    painter.drawLine(0, 0, width(), 0);
}

QString CollectionStatusBar::text() const
{
    return isShowingProgress() ? m_progressText->text() : m_count->text();
}

bool CollectionStatusBar::isShowingProgress() const
{
    return m_refresher && m_refresher->isRunning();
}

void CollectionStatusBar::refresherChanged()
{
    const bool running = isShowingProgress();
    m_progress->setVisible(running);
    m_progressText->setVisible(running);
    m_stop->setVisible(running);
    m_count->setVisible(!running);
    m_layout->setStretch(m_spacerIndex, running ? 0 : 1);
    if (running) {
        m_progress->setValue(int(std::lround(m_refresher->progress() * 1000)));
        m_progressText->setText(
            refreshProgressText(m_refresher->completed(), m_refresher->total(), m_refresher->currentTitle()));
    }
}

} // namespace vorla
