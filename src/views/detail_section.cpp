#include "views/detail_section.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr int kLabelWidth = 80;
constexpr qreal kBoxRadius = 10;

// The section's box: a faint fill of the text colour, so it suits light and dark palettes.
class FilledBox : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.05);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), kBoxRadius, kBoxRadius);
        painter.fillPath(path, fill);
    }
};

} // namespace

QFont calloutFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.93);
    return font;
}

void makeSecondary(QWidget *widget)
{
    QPalette palette = widget->palette();
    QColor text = palette.color(QPalette::WindowText);
    text.setAlphaF(0.6);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    widget->setPalette(palette);
}

DetailSection::DetailSection(const QString &title, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *heading = new QLabel(title.toUpper(), this);
    heading->setObjectName(QStringLiteral("sectionTitle"));
    QFont caption = font();
    caption.setPointSizeF(caption.pointSizeF() * 0.8);
    caption.setWeight(QFont::DemiBold);
    heading->setFont(caption);
    makeSecondary(heading);
    layout->addWidget(heading);
    auto *box = new FilledBox(this);
    m_content = new QVBoxLayout(box);
    m_content->setContentsMargins(12, 12, 12, 12);
    m_content->setSpacing(6);
    layout->addWidget(box);
}

DetailRow::DetailRow(const QString &label, bool monospaced, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(label, this);
    m_label->setObjectName(QStringLiteral("rowLabel"));
    m_label->setFont(calloutFont(font()));
    m_label->setFixedWidth(kLabelWidth);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    makeSecondary(m_label);
    layout->addWidget(m_label, 0, Qt::AlignTop);
    m_value = new QLabel(this);
    m_value->setObjectName(QStringLiteral("rowValue"));
    m_value->setTextFormat(Qt::PlainText);
    m_value->setWordWrap(true);
    m_value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    QFont valueFont = calloutFont(font());
    if (monospaced) {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(valueFont.pointSizeF());
        valueFont = fixed;
    }
    m_value->setFont(valueFont);
    layout->addWidget(m_value, 1);
    setAccessibleName(label);
    hide();
}

QString DetailRow::label() const
{
    return m_label->text();
}

QString DetailRow::value() const
{
    return m_value->text();
}

void DetailRow::setValue(const QString &value)
{
    m_value->setText(value);
    setVisible(!value.isEmpty());
}

} // namespace vorla
