#include "views/search_empty_view.h"

#include "views/components/symbol_icon.h"

#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

namespace vorla {

SearchEmptyView::SearchEmptyView(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    auto *icon = new QLabel(this);
    icon->setPixmap(symbolIcon(QStringLiteral("magnifyingglass")).pixmap(QSize(44, 44)));
    icon->setAlignment(Qt::AlignCenter);
    icon->setEnabled(false);
    layout->addWidget(icon);
    m_title = new QLabel(this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.45);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);
    layout->addWidget(m_title);
    m_description = new QLabel(tr("Check the spelling or try a new search."), this);
    m_description->setAlignment(Qt::AlignCenter);
    // Secondary, yet readable: the window text's own colour, a little lighter.
    QPalette muted = m_description->palette();
    QColor text = muted.color(QPalette::WindowText);
    text.setAlphaF(0.75);
    muted.setColor(QPalette::WindowText, text);
    m_description->setPalette(muted);
    layout->addWidget(m_description);
    layout->addStretch(1);
    setSearchText(QString());
}

void SearchEmptyView::setSearchText(const QString &text)
{
    m_title->setText(text.isEmpty() ? tr("No Results") : tr("No Results for “%1”").arg(text));
}

QString SearchEmptyView::titleText() const
{
    return m_title->text();
}

QString SearchEmptyView::descriptionText() const
{
    return m_description->text();
}

} // namespace vorla
