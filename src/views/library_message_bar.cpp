#include "views/library_message_bar.h"

#include "models/error.h"
#include "models/model_context.h"
#include "models/store.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vorla {

LibraryMessageBar::LibraryMessageBar(ModelContext *context, QWidget *parent)
    : QWidget(parent)
    , m_context(context)
    , m_icon(new QLabel(this))
    , m_text(new QLabel(this))
    , m_retry(new QPushButton(tr("Try Again"), this))
{
    setObjectName(QStringLiteral("libraryMessageBar"));
    m_text->setObjectName(QStringLiteral("libraryMessageText"));
    m_retry->setObjectName(QStringLiteral("libraryMessageRetry"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize));

    setAutoFillBackground(true);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
    colors.setColor(QPalette::WindowText, QColor(0x3D, 0x2E, 0x00));
    setPalette(colors);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(8);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_retry, 0, Qt::AlignVCenter);

    connect(m_retry, &QPushButton::clicked, this, [this] {
        try {
            m_context->save();
        } catch (const StoreError &) {
            // The bar shows the new reason.
        }
    });
    connect(m_context, &ModelContext::saveErrorChanged, this, &LibraryMessageBar::update);
    update();
}

QString LibraryMessageBar::text() const
{
    return m_text->text();
}

void LibraryMessageBar::update()
{
    if (m_context->isReadOnly()) {
        m_text->setText(Store::readOnlyMessage());
        m_retry->hide();
        show();
    } else if (!m_context->saveError().isEmpty()) {
        m_text->setText(m_context->saveError() + u' '
                        + tr("Your changes are kept and saved again with the next change."));
        m_retry->show();
        show();
    } else {
        hide();
    }
}

LibraryMessageBar *LibraryMessageBar::install(QMainWindow *window, ModelContext *context)
{
    auto *column = new QWidget(window);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *bar = new LibraryMessageBar(context, column);
    layout->addWidget(bar);
    if (QWidget *central = window->takeCentralWidget())
        layout->addWidget(central, 1);
    window->setCentralWidget(column);
    return bar;
}

} // namespace vorla
