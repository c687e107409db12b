#include "views/empty_collection_view.h"

#include "views/components/symbol_icon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

QPushButton *makeButton(const QString &text, const QString &symbol, QWidget *parent)
{
    auto *button = new QPushButton(symbolIcon(symbol), text, parent);
    button->setMinimumHeight(32);
    button->setAutoDefault(false);
    return button;
}

} // namespace

EmptyCollectionView::EmptyCollectionView(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addStretch(1);

    auto *icon = new QLabel(this);
    icon->setPixmap(symbolIcon(QStringLiteral("opticaldisc")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);

    auto *title = new QLabel(tr("Your crate is empty"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto *description = new QLabel(
        tr("Scan a record's barcode or its spine, paste a list of records, or add one by hand. "
           "Vorla pulls in artwork, tracklists and pressing details from Discogs."),
        this);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignCenter);
    description->setMaximumWidth(460);
    description->setForegroundRole(QPalette::PlaceholderText);
    // Centred by stretches, not an alignment flag: an aligned item gets its one-line height
    // and the wrapped text would be cut off.
    auto *descriptionRow = new QHBoxLayout;
    descriptionRow->addStretch(1);
    descriptionRow->addWidget(description, 100);
    descriptionRow->addStretch(1);
    layout->addLayout(descriptionRow);
    layout->addSpacing(8);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_scan = makeButton(tr("Scan Barcode"), QStringLiteral("barcode.viewfinder"), this);
    m_scan->setDefault(true);
    m_manual = makeButton(tr("Add Manually"), QStringLiteral("square.and.pencil"), this);
    m_photos = makeButton(tr("Import Photos"), QStringLiteral("photo.stack"), this);
    m_list = makeButton(tr("Import List"), QStringLiteral("list.bullet.rectangle"), this);
    m_csv = makeButton(tr("Import CSV"), QStringLiteral("square.and.arrow.down"), this);
    for (QPushButton *button : {m_scan, m_manual, m_photos, m_list, m_csv})
        buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(2);

    connect(m_scan, &QPushButton::clicked, this, &EmptyCollectionView::scanRequested);
    connect(m_manual, &QPushButton::clicked, this, &EmptyCollectionView::addManuallyRequested);
    connect(m_photos, &QPushButton::clicked, this, &EmptyCollectionView::importPhotosRequested);
    connect(m_list, &QPushButton::clicked, this, &EmptyCollectionView::importListRequested);
    connect(m_csv, &QPushButton::clicked, this, &EmptyCollectionView::importCSVRequested);
}

} // namespace vorla
