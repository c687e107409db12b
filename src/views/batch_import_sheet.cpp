#include "views/batch_import_sheet.h"

#include "app/batch_matcher.h"
#include "views/add_record_services.h"
#include "views/batch_input_pane.h"
#include "views/batch_review_pane.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>

namespace vorla {

namespace {

BatchImportSheet::Options facadeOptions()
{
    BatchImportSheet::Options options;
    options.thumbnail = [services = AddRecordServices::facade()](
                            const QUrl &url, std::stop_token stop) {
        return services->thumbnail(url, stop);
    };
    return options;
}

} // namespace

BatchImportSheet::BatchImportSheet(
    BatchMatcher *matcher, bool startWithPhotoPicker, QWidget *parent)
    : BatchImportSheet(matcher, startWithPhotoPicker, facadeOptions(), parent)
{
}

BatchImportSheet::BatchImportSheet(
    BatchMatcher *matcher, bool startWithPhotoPicker, Options options, QWidget *parent)
    : QDialog(parent)
    , m_matcher(matcher)
    , m_startWithPhotoPicker(startWithPhotoPicker)
{
    setObjectName(QStringLiteral("batchImportSheet"));
    setWindowTitle(tr("Import Records"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(900, 720);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pages = new QStackedWidget(this);
    m_input = new BatchInputPane(matcher, m_pages);
    m_review = new BatchReviewPane(matcher, std::move(options.thumbnail),
        options.pool ? options.pool : QThreadPool::globalInstance(), m_pages);
    m_pages->addWidget(m_input);
    m_pages->addWidget(m_review);
    layout->addWidget(m_pages);

    connect(m_input, &BatchInputPane::cancelRequested, this, &BatchImportSheet::reject);
    connect(m_input, &BatchInputPane::choosePhotosRequested, this, &BatchImportSheet::choosePhotos);
    connect(m_input, &BatchInputPane::openTextFileRequested, this, &BatchImportSheet::openTextFile);
    connect(m_input, &BatchInputPane::photosDropped, this, &BatchImportSheet::importPhotos);
    connect(m_input, &BatchInputPane::matched, this, [this] {
        m_showingInput = false;
        updatePage();
    });
    connect(m_review, &BatchReviewPane::closeRequested, this, &QDialog::reject);
    connect(m_review, &BatchReviewPane::addMoreRequested, this, [this] {
        m_showingInput = true;
        updatePage();
    });
    connect(m_review, &BatchReviewPane::allAdded, this, &QDialog::accept);
    for (auto signal : { &BatchMatcher::itemsChanged, &BatchMatcher::pendingPhotosChanged,
             &BatchMatcher::analyzingPhotoChanged })
        connect(m_matcher, signal, this, &BatchImportSheet::updatePage);
    updatePage();
}

BatchImportSheet::~BatchImportSheet() = default;

bool BatchImportSheet::isShowingReview() const
{
    return m_pages->currentWidget() == m_review;
}

void BatchImportSheet::updatePage()
{
    m_pages->setCurrentWidget(m_matcher->hasWork() && !m_showingInput
            ? static_cast<QWidget *>(m_review)
            : static_cast<QWidget *>(m_input));
}

void BatchImportSheet::reject()
{
    if (!isShowingReview() && m_matcher->hasWork()) {
        m_showingInput = false;
        updatePage();
        return;
    }
    QDialog::reject();
}

void BatchImportSheet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_shown || event->spontaneous())
        return;
    m_shown = true;
    if (m_startWithPhotoPicker)
        choosePhotos();
}

void BatchImportSheet::choosePhotos()
{
    auto *panel = new QFileDialog(this, tr("Choose photos of record spines or covers"));
    panel->setObjectName(QStringLiteral("photoPanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setNameFilters({ tr("Images (*.jpg *.jpeg *.png *.heic *.heif *.tif *.tiff *.bmp "
                               "*.gif *.webp)") });
    connect(panel, &QFileDialog::filesSelected, this, [this](const QStringList &files) {
        QList<QUrl> photos;
        for (const QString &file : files)
            photos.append(QUrl::fromLocalFile(file));
        if (!photos.isEmpty())
            importPhotos(photos);
    });
    panel->open();
}

void BatchImportSheet::openTextFile()
{
    auto *panel = new QFileDialog(this, tr("Open a list of records"));
    panel->setObjectName(QStringLiteral("textFilePanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setNameFilters({ tr("Text files (*.txt *.text *.csv *.tsv *.tab)"), tr("All files (*)") });
    connect(panel, &QFileDialog::fileSelected, this, &BatchImportSheet::appendTextFile);
    panel->open();
}

void BatchImportSheet::importPhotos(const QList<QUrl> &photos)
{
    QList<QUrl> sorted = photos;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const QUrl &a, const QUrl &b) { return a.fileName() < b.fileName(); });
    m_matcher->enqueue(sorted, m_input->photoLayout());
    m_showingInput = false;
    m_review->setFilter(Filter::all);
    updatePage();
}

bool BatchImportSheet::appendTextFile(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_input->showNote(tr("“%1” could not be opened: %2").arg(name, file.errorString()));
        return false;
    }
    // At most one byte past the limit is read: enough to tell that the file is too large.
    const QByteArray bytes = file.read(kMaxTextFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        m_input->showNote(tr("“%1” could not be read: %2").arg(name, file.errorString()));
        return false;
    }
    if (bytes.size() > kMaxTextFileBytes) {
        m_input->showNote(tr("“%1” is larger than 8 MB, too large for a list of records. Choose "
                             "a plain text file with one record per line.")
                              .arg(name));
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || bytes.contains('\0')) {
        m_input->showNote(tr("“%1” is not a text file. Choose a plain text file (UTF-8) with "
                             "one record per line.")
                              .arg(name));
        return false;
    }
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    m_input->showNote({});
    m_input->appendText(text);
    return true;
}

int BatchImportSheet::addIncluded()
{
    return m_review->addIncluded();
}

} // namespace vorla
