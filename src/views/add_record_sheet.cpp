#include "views/add_record_sheet.h"

#include "app/debug_hooks.h"
#include "app/resources.h"
#include "app/run_task.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "scanner/barcode_scanner.h"
#include "services/barcode.h"
#include "services/lookup_error.h"
#include "services/release_query.h"
#include "views/add_record_camera_pane.h"
#include "views/add_record_duplicates.h"
#include "views/add_record_editor_page.h"
#include "views/add_record_results_pane.h"
#include "views/add_record_search_pane.h"
#include "views/add_record_services.h"
#include "views/add_record_status_view.h"
#include <QProgressBar>
#include "views/components/symbol_icon.h"
#include "views/record_editor_form.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSoundEffect>
#include <QStackedWidget>
#include <QTemporaryFile>
#include <QToolButton>
#include <QVBoxLayout>

namespace vorla {

namespace {

constexpr int kMinimumBarcodeDigits = 6;

QString trimmedOfSpacesAndTabs(const QString &text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(start, end - start);
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QPushButton *footerButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QThreadPool *sheetPool()
{
    static QPointer<QThreadPool> pool;
    if (!pool) {
        pool = new QThreadPool(QCoreApplication::instance());
        // Lookups and thumbnails wait on the network; they get threads of their own.
        pool->setMaxThreadCount(6);
    }
    return pool;
}

bool needsToken(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const LookupError &lookup) {
        return lookup.kind() == LookupError::Kind::missingToken
            || lookup.kind() == LookupError::Kind::unauthorized;
    } catch (...) {
        return false;
    }
}

QString errorMessage(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &failure) {
        return QString::fromUtf8(failure.what());
    } catch (...) {
        return QCoreApplication::translate("AddRecordSheet", "Unknown error");
    }
}

bool isCancelled(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CancelledError &) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

AddRecordSheet::AddRecordSheet(AddMode initialMode, ModelContext *context, QWidget *parent)
    : AddRecordSheet(initialMode, context, Options(), parent)
{
}

AddRecordSheet::AddRecordSheet(
    AddMode initialMode, ModelContext *context, Options options, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
    , m_services(options.services ? std::move(options.services) : AddRecordServices::facade())
    , m_scanner(options.scanner ? std::move(options.scanner) : std::make_unique<BarcodeScanner>())
    , m_environment(options.environment ? std::move(*options.environment) : DebugHooks::env())
    , m_chime(std::move(options.chime))
    , m_clock(std::move(options.clock))
    , m_state(new AddRecordState(initialMode, this))
    , m_pool(sheetPool())
{
    setObjectName(QStringLiteral("addRecordSheet"));
    setWindowTitle(tr("Add Record"));
    setWindowModality(Qt::WindowModal);
    setFixedSize(780, 700);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Header: the mode picker, or the phase's title, and the count of records added.
    auto *header = new QHBoxLayout;
    header->setContentsMargins(18, 12, 18, 12);
    header->setSpacing(14);
    m_modePicker = new QWidget(this);
    m_modePicker->setObjectName(QStringLiteral("modePicker"));
    auto *picker = new QHBoxLayout(m_modePicker);
    picker->setContentsMargins(0, 0, 0, 0);
    picker->setSpacing(0);
    const struct
    {
        AddMode mode;
        const char *name;
        const char *text;
        const char *symbol;
    } modes[] = {
        { AddMode::scan, "modeScan", QT_TR_NOOP("Scan Barcode"), "barcode.viewfinder" },
        { AddMode::search, "modeSearch", QT_TR_NOOP("Search"), "magnifyingglass" },
        { AddMode::manual, "modeManual", QT_TR_NOOP("Enter Manually"), "square.and.pencil" },
    };
    for (const auto &m : modes) {
        auto *button = new QToolButton(m_modePicker);
        button->setObjectName(QString::fromLatin1(m.name));
        button->setText(tr(m.text));
        button->setIcon(symbolIcon(QString::fromLatin1(m.symbol)));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setMinimumWidth(130);
        picker->addWidget(button);
        m_modeButtons[int(m.mode)] = button;
        connect(button, &QToolButton::clicked, this, [this, mode = m.mode] { m_state->setMode(mode); });
    }
    m_headline = new QLabel(this);
    m_headline->setObjectName(QStringLiteral("headline"));
    QFont headlineFont = m_headline->font();
    headlineFont.setBold(true);
    m_headline->setFont(headlineFont);
    m_addedLabel = new QLabel(this);
    m_addedLabel->setObjectName(QStringLiteral("addedCount"));
    m_addedLabel->setStyleSheet(QStringLiteral("QLabel { color: #1e8a3c; }"));
    header->addWidget(m_modePicker);
    header->addWidget(m_headline);
    header->addStretch(1);
    header->addWidget(m_addedLabel);
    layout->addLayout(header);
    layout->addWidget(divider(this));

    // Content by phase.
    m_content = new QStackedWidget(this);
    m_content->setObjectName(QStringLiteral("content"));
    m_cameraPane = new AddRecordCameraPane(m_state, m_scanner.get(), m_content);
    m_searchPane = new AddRecordSearchPane(m_state, m_content);
    m_resultsPane = new AddRecordResultsPane(m_state, m_context, m_services, m_pool, m_content);
    m_loadingPage = new QWidget(m_content);
    m_loadingPage->setObjectName(QStringLiteral("loadingPage"));
    {
        auto *loading = new QVBoxLayout(m_loadingPage);
        loading->addStretch(1);
        auto *spinner = makeSpinner(m_loadingPage);
        spinner->setFixedWidth(120);
        loading->addWidget(spinner, 0, Qt::AlignHCenter);
        auto *text = new QLabel(tr("Fetching release details and artwork…"), m_loadingPage);
        text->setAlignment(Qt::AlignCenter);
        loading->addWidget(text);
        loading->addStretch(1);
    }
    m_editorPage = new AddRecordEditorPage(m_content);
    for (QWidget *page : { static_cast<QWidget *>(m_cameraPane), static_cast<QWidget *>(m_searchPane),
             static_cast<QWidget *>(m_resultsPane), m_loadingPage,
             static_cast<QWidget *>(m_editorPage) })
        m_content->addWidget(page);
    layout->addWidget(m_content, 1);
    layout->addWidget(divider(this));

    // Footer.
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(14, 14, 14, 14);
    footer->setSpacing(8);
    m_cancel = footerButton(QStringLiteral("cancelButton"), tr("Cancel"), this);
    m_lookUp = footerButton(QStringLiteral("lookUpButton"), tr("Look Up"), this);
    m_search = footerButton(QStringLiteral("searchButton"), tr("Search"), this);
    m_resultsBack = footerButton(QStringLiteral("resultsBackButton"), tr("Back"), this);
    m_enterManually = footerButton(QStringLiteral("enterManuallyButton"), tr("Enter Manually"), this);
    m_useRelease = footerButton(QStringLiteral("useReleaseButton"), tr("Use This Release"), this);
    m_editingBack = footerButton(QStringLiteral("editingBackButton"), tr("Back"), this);
    m_addNext = footerButton(QStringLiteral("addNextButton"), QString(), this);
    m_addNext->setToolTip(tr("Add this record and start on the next one (Ctrl+Return)"));
    m_add = footerButton(QStringLiteral("addButton"), tr("Add to Collection"), this);
    footer->addWidget(m_cancel);
    footer->addStretch(1);
    for (QPushButton *button : { m_lookUp, m_search, m_resultsBack, m_enterManually, m_useRelease,
             m_editingBack, m_addNext, m_add })
        footer->addWidget(button);
    layout->addLayout(footer);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_lookUp, &QPushButton::clicked, this, [this] { lookUpBarcode(m_state->barcodeText()); });
    connect(m_search, &QPushButton::clicked, this, &AddRecordSheet::searchText);
    connect(m_resultsBack, &QPushButton::clicked, this, &AddRecordSheet::back);
    connect(m_enterManually, &QPushButton::clicked, this,
        [this] { startManual(m_state->lastBarcode()); });
    connect(m_useRelease, &QPushButton::clicked, this, [this] {
        if (const std::optional<ReleaseCandidate> candidate = m_state->selected())
            choose(*candidate);
    });
    connect(m_editingBack, &QPushButton::clicked, this, [this] {
        m_state->setPhase(m_state->candidates().isEmpty() ? AddRecordState::Phase::lookup
                                                          : AddRecordState::Phase::results);
    });
    connect(m_addNext, &QPushButton::clicked, this, [this] { save(true); });
    connect(m_add, &QPushButton::clicked, this, [this] { save(false); });

    // The panes' requests.
    for (AddRecordStatusView *status : { m_cameraPane->statusView(), m_searchPane->statusView() }) {
        connect(status, &AddRecordStatusView::enterManuallyRequested, this,
            [this] { startManual(m_state->lastBarcode()); });
        connect(status, &AddRecordStatusView::openSettingsRequested, this,
            &AddRecordSheet::openSettingsRequested);
    }
    connect(m_resultsPane, &AddRecordResultsPane::chooseRequested, this, &AddRecordSheet::choose);
    connect(m_cameraPane, &AddRecordCameraPane::chooseImageRequested, this, [this] {
        auto *dialog = new QFileDialog(this, tr("Choose a photo showing the record's barcode"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::ExistingFile);
        QStringList patterns;
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            patterns.append(QStringLiteral("*.") + QString::fromLatin1(format));
        patterns.append(QStringLiteral("*.heic"));
        dialog->setNameFilter(tr("Images (%1)").arg(patterns.join(u' ')));
        connect(dialog, &QFileDialog::fileSelected, this,
            [this](const QString &path) { scanImage(path); });
        dialog->open();
    });
    connect(m_cameraPane, &AddRecordCameraPane::imageDropped, this,
        [this](const QString &path) { scanImage(path); });
    connect(m_cameraPane, &AddRecordCameraPane::imagePasted, this,
        [this](const QImage &image) { scanImage(image); });
    connect(m_cameraPane, &AddRecordCameraPane::captureRequested, this, &AddRecordSheet::captureText);
    connect(m_cameraPane->barcodeField(), &QLineEdit::textEdited, this,
        [this] { m_missedDigits.clear(); });
    connect(m_editorPage->editor(), &RecordEditorForm::busyChanged, this, &AddRecordSheet::updateFooter);
    connect(m_editorPage, &AddRecordEditorPage::draftEdited, this, [this] {
        m_draftFromEditor = true;
        m_state->setDraft(m_editorPage->draft());
        m_draftFromEditor = false;
    });

    // Following the state.
    connect(m_state, &AddRecordState::modeChanged, this, &AddRecordSheet::modeChanged);
    connect(m_state, &AddRecordState::phaseChanged, this, [this] {
        updateHeader();
        updatePage();
        updateFooter();
        if (m_appeared)
            updateCamera();
    });
    connect(m_state, &AddRecordState::scanTargetChanged, this, &AddRecordSheet::scanTargetChanged);
    connect(m_state, &AddRecordState::addedCountChanged, this, &AddRecordSheet::updateHeader);
    for (auto signal : { &AddRecordState::statusChanged, &AddRecordState::barcodeTextChanged,
             &AddRecordState::queryTextChanged, &AddRecordState::selectedCandidateChanged })
        connect(m_state, signal, this, &AddRecordSheet::updateFooter);
    connect(m_state, &AddRecordState::draftChanged, this, [this] {
        // The form already shows what the user typed; reloading it would move the cursor.
        if (!m_draftFromEditor)
            m_editorPage->setDraft(m_state->draft());
        updateWarning();
        updateFooter();
    });
    connect(m_context, &ModelContext::recordsInserted, this, [this] {
        m_warningKey.reset();
        updateWarning();
    });
    connect(m_context, &ModelContext::recordsRemoved, this, [this] {
        m_warningKey.reset();
        updateWarning();
    });

    updateHeader();
    updatePage();
    updateFooter();
    m_editorPage->setDraft(m_state->draft());
    updateWarning();
    m_searchPane->setNoteInputs(m_services->useMusicBrainz(), std::nullopt);
    runTask(
        this, m_readings.get_token(),
        [services = m_services](std::stop_token) { return services->hasDiscogsToken(); },
        [this](TaskResult<bool> result) {
            if (!result.hasValue())
                return;
            m_hasDiscogsToken = result.get();
            m_searchPane->setNoteInputs(m_services->useMusicBrainz(), m_hasDiscogsToken);
        },
        m_pool);
}

AddRecordSheet::~AddRecordSheet()
{
    // The workers hold no reference to the sheet; their late results are dropped.
    shutDown();
}

void AddRecordSheet::shutDown()
{
    m_lookup.request_stop();
    m_readings.request_stop();
    m_resultsPane->stopThumbnails();
    m_closed = true;
    m_scanner->setOnDetect({});
    m_scanner->stop();
}

void AddRecordSheet::done(int result)
{
    shutDown();
    QDialog::done(result);
}

void AddRecordSheet::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_appeared && !event->spontaneous())
        appeared();
}

void AddRecordSheet::appeared()
{
    m_appeared = true;
    m_closed = false;
    m_scanner->setOnDetect([this](const QString &code) { detected(code); });
    m_scanner->setReadsBarcodes(m_state->scanTarget() == AddRecordState::ScanTarget::barcode);
    TextRecognizer::warmUpOnce();
    updateCamera();

    const auto readText = m_environment.constFind(QStringLiteral("VORLA_SNAPSHOT_READ_TEXT"));
    if (readText != m_environment.constEnd() && m_state->mode() == AddMode::scan) {
        m_state->setScanTarget(AddRecordState::ScanTarget::text);
        scanImage(*readText);
    }
    const auto query = m_environment.constFind(QStringLiteral("VORLA_SNAPSHOT_QUERY"));
    if (query != m_environment.constEnd() && m_state->mode() == AddMode::search) {
        m_state->setQueryText(*query);
        searchText();
    }
}

void AddRecordSheet::chime()
{
    if (m_chime) {
        m_chime();
        return;
    }
    if (!m_sound) {
        initResources();
        m_sound = new QSoundEffect(this);
        m_sound->setSource(tinkSoundURL());
    }
    m_sound->play();
}

// Lookups ------------------------------------------------------------------------------

void AddRecordSheet::detected(const QString &code)
{
    const QString digits = Barcode::digits(code);
    if (!m_missedDigits.isEmpty() && digits == m_missedDigits
        && m_clock() - m_missedAt < kRepeatPause) {
        // The same unknown code is still in front of the camera: let the next one through.
        m_scanner->resume();
        return;
    }
    m_missedDigits.clear();
    m_state->setBarcodeText(code);
    chime();
    lookUpBarcode(code);
}

void AddRecordSheet::lookUpBarcode(const QString &code)
{
    const QString digits = Barcode::digits(code);
    if (digits.size() < kMinimumBarcodeDigits)
        return;
    m_state->setLastBarcode(digits);
    run(
        tr("Looking up %1…").arg(digits),
        [services = m_services, digits](std::stop_token stop) { return services->lookup(digits, stop); },
        tr("No releases found for barcode %1.").arg(digits));
}

void AddRecordSheet::searchText()
{
    const QString q = trimmedOfSpacesAndTabs(m_state->queryText());
    if (q.isEmpty())
        return;
    m_state->setLastBarcode(QString());
    run(
        tr("Searching for “%1”…").arg(q),
        [services = m_services, q](std::stop_token stop) -> QList<ReleaseCandidate> {
            const ReleaseQuery query = ReleaseQuery::parse(q);
            if (query.freeText().isEmpty())
                return {};
            return services->search(query, stop);
        },
        tr("No releases matched “%1”.").arg(q));
}

void AddRecordSheet::cancelLookup()
{
    m_lookup.request_stop();
    m_lookup = std::stop_source();
}

void AddRecordSheet::run(const QString &message, Fetch fetch, const QString &empty)
{
    if (m_closed)
        return;
    cancelLookup();
    m_state->setStatus(AddRecordState::Status::working(message));
    const QString digits = m_state->lastBarcode();
    runTask(this, m_lookup.get_token(), std::move(fetch),
        [this, empty, digits](TaskResult<QList<ReleaseCandidate>> result) {
            if (result.hasValue() && !result.get().isEmpty()) {
                const QList<ReleaseCandidate> &candidates = result.get();
                m_state->setCandidates(candidates);
                m_state->setSelectedCandidate(candidates.first().id());
                m_state->setStatus(AddRecordState::Status::idle());
                m_state->setPhase(AddRecordState::Phase::results);
                return;
            }
            if (!result.hasValue() && isCancelled(result.error()))
                return;
            if (result.hasValue()) {
                m_state->setStatus(AddRecordState::Status::info(empty));
            } else {
                m_state->setStatus(AddRecordState::Status::failure(
                    errorMessage(result.error()), needsToken(result.error())));
            }
            ignoreAfterMiss(digits);
            m_scanner->resume();
        },
        m_pool);
}

void AddRecordSheet::ignoreAfterMiss(const QString &digits)
{
    m_missedDigits = digits;
    m_missedAt = m_clock();
}

void AddRecordSheet::choose(const ReleaseCandidate &candidate)
{
    if (m_closed)
        return;
    m_state->setPhase(AddRecordState::Phase::loading);
    cancelLookup();
    runTask(
        this, m_lookup.get_token(),
        [services = m_services, candidate](std::stop_token stop) {
            try {
                return services->details(candidate, stop);
            } catch (const CancelledError &) {
                throw;
            } catch (const Error &) {
                // The user reviews the candidate's own facts instead; nothing to report.
                RecordDraft fallback = draftFromCandidate(candidate);
                services->attachCover(fallback, stop);
                return fallback;
            }
        },
        [this, candidate](TaskResult<RecordDraft> result) {
            if (!result.hasValue() && isCancelled(result.error()))
                return;
            RecordDraft draft = result.hasValue() ? result.get() : draftFromCandidate(candidate);
            if (draft.barcode.isEmpty())
                draft.barcode = m_state->lastBarcode();
            m_state->setDraft(m_state->carryOver().applied(draft));
            m_state->setPhase(AddRecordState::Phase::editing);
        },
        m_pool);
}

void AddRecordSheet::startManual(const QString &prefillBarcode)
{
    RecordDraft draft;
    draft.barcode = prefillBarcode;
    m_state->setDraft(m_state->carryOver().applied(draft));
    m_state->setMode(AddMode::manual);
    m_state->setPhase(AddRecordState::Phase::editing);
}

void AddRecordSheet::back()
{
    m_state->setCandidates({});
    m_state->setSelectedCandidate(std::nullopt);
    m_state->setStatus(AddRecordState::Status::idle());
    m_state->setPhase(AddRecordState::Phase::lookup);
}

// Saving -------------------------------------------------------------------------------

void AddRecordSheet::save(bool addNext)
{
    const RecordDraft draft = m_state->draft();
    if (!draft.isValid() || m_editorPage->editor()->isBusy())
        return;
    auto owned = std::make_unique<Record>();
    draft.apply(*owned, m_editorPage->editor()->preparedCover());
    const QUuid id = owned->id();
    m_context->insert(std::move(owned));
    try {
        m_context->save();
    } catch (const Error &failure) {
        // Not added: take the record back out, so that it neither shows in the collection nor
        // reaches the file later, and leave the draft in the form to try again.
        m_context->remove(id);
        m_editorPage->setSaveFailure(
            tr("Couldn't add the record: %1").arg(QString::fromUtf8(failure.what())));
        return;
    }
    m_editorPage->setSaveFailure(std::nullopt);
    emit added(id);
    m_state->setAddedCount(m_state->addedCount() + 1);
    m_state->setCarryOver({ draft.location, draft.mediaCondition, draft.sleeveCondition });
    if (!addNext) {
        accept();
        return;
    }
    m_state->setBarcodeText(QString());
    m_state->setQueryText(QString());
    m_state->setRecognized(std::nullopt);
    m_state->setLastBarcode(QString());
    if (m_state->mode() == AddMode::manual) {
        m_state->setDraft(m_state->carryOver().applied(RecordDraft()));
        return;
    }
    m_state->setDraft(RecordDraft());
    m_state->setCandidates({});
    m_state->setSelectedCandidate(std::nullopt);
    m_state->setStatus(AddRecordState::Status::idle());
    m_state->setPhase(AddRecordState::Phase::lookup);
    const bool query = m_state->mode() == AddMode::search
        || m_state->scanTarget() == AddRecordState::ScanTarget::text;
    m_state->focus(query ? AddRecordState::Field::query : AddRecordState::Field::barcode);
}

std::optional<QString> AddRecordSheet::duplicateWarning() const
{
    return m_warning;
}

void AddRecordSheet::updateWarning()
{
    const RecordDraft &draft = m_state->draft();
    const WarningKey key { draft.discogsReleaseID, draft.musicBrainzID, draft.barcode };
    // The form changes the draft with every keystroke; the count only follows the ids and
    // the barcode.
    if (m_warningKey != key) {
        m_warningKey = key;
        m_warning = vorla::duplicateWarning(matchingRecordCount(m_context->records(), draft));
    }
    m_editorPage->setDuplicateWarning(m_warning);
}

// Images and text ----------------------------------------------------------------------

void AddRecordSheet::scanImage(const QString &path)
{
    readImage(path, QImage());
}

void AddRecordSheet::scanImage(const QImage &image)
{
    readImage(QString(), image);
}

void AddRecordSheet::readImage(const QString &path, const QImage &image)
{
    if (m_closed)
        return;
    const auto readError = [this](const std::exception_ptr &error) {
        m_state->setStatus(AddRecordState::Status::failure(
            tr("Couldn't read that image: %1").arg(errorMessage(error)), false));
    };
    // A pasted picture is read from a file of its own, as a chosen one is.
    auto withFile = [path, image](auto read) {
        if (image.isNull())
            return read(path);
        QTemporaryFile file(QDir::tempPath() + QStringLiteral("/vorla-pasted-XXXXXX.png"));
        if (!file.open() || !image.save(&file, "PNG"))
            throw Error(QCoreApplication::translate(
                "AddRecordSheet", "The pasted picture could not be kept."));
        file.close();
        return read(file.fileName());
    };

    if (m_state->scanTarget() == AddRecordState::ScanTarget::text) {
        m_state->setReadingText(true);
        runTask(
            this, m_readings.get_token(),
            [services = m_services, withFile](std::stop_token) {
                return withFile([&](const QString &file) { return services->recognize(file); });
            },
            [this, readError](TaskResult<RecognizedText> result) {
                if (result.hasValue())
                    apply(result.get());
                else
                    readError(result.error());
                m_state->setReadingText(false);
            },
            m_pool);
        return;
    }

    m_state->setStatus(AddRecordState::Status::working(tr("Reading barcode from image…")));
    runTask(
        this, m_readings.get_token(),
        [services = m_services, withFile](std::stop_token) {
            return withFile([&](const QString &file) { return services->scanImage(file); });
        },
        [this, readError](TaskResult<QStringList> result) {
            if (!result.hasValue()) {
                readError(result.error());
                return;
            }
            const QStringList &codes = result.get();
            if (codes.isEmpty()) {
                m_state->setStatus(AddRecordState::Status::info(tr("No barcode found in that image.")));
                return;
            }
            QString chosen = codes.first();
            for (const QString &code : codes) {
                if (Barcode::hasValidChecksum(code)) {
                    chosen = code;
                    break;
                }
            }
            m_state->setBarcodeText(chosen);
            if (Barcode::digits(chosen).size() < kMinimumBarcodeDigits) {
                m_state->setStatus(AddRecordState::Status::info(
                    tr("The code in that image, %1, is too short to look up.").arg(chosen)));
                return;
            }
            lookUpBarcode(chosen);
        },
        m_pool);
}

void AddRecordSheet::captureText()
{
    if (m_closed)
        return;
    m_state->setReadingText(true);
    m_state->setStatus(AddRecordState::Status::idle());
    const std::stop_token stop = m_readings.get_token();
    m_scanner->captureFrame(this, [this, stop](const QImage &frame) {
        if (stop.stop_requested())
            return;
        if (frame.isNull()) {
            m_state->setStatus(AddRecordState::Status::failure(
                tr("The camera didn't deliver a picture. Try again, or choose another camera."),
                false));
            m_state->setReadingText(false);
            return;
        }
        runTask(
            this, stop,
            [services = m_services, frame](std::stop_token) { return services->recognize(frame); },
            [this](TaskResult<RecognizedText> result) {
                if (result.hasValue())
                    apply(result.get());
                m_state->setReadingText(false);
            },
            m_pool);
    });
}

void AddRecordSheet::apply(const RecognizedText &recognized)
{
    chime();
    m_state->setRecognized(recognized);
    if (!recognized.catalogNumbers.isEmpty())
        m_state->setQueryText(recognized.catalogNumbers.first());
    m_state->focus(AddRecordState::Field::query);
}

// Mode, camera and the frame -----------------------------------------------------------

void AddRecordSheet::modeChanged()
{
    cancelLookup();
    m_state->setStatus(AddRecordState::Status::idle());
    const AddRecordState::Phase phase = m_state->phase();
    if (m_state->mode() == AddMode::manual) {
        m_state->setPhase(AddRecordState::Phase::editing);
    } else if (phase == AddRecordState::Phase::editing
        || (phase == AddRecordState::Phase::results && m_state->candidates().isEmpty())) {
        m_state->setPhase(AddRecordState::Phase::lookup);
    }
    updateHeader();
    updatePage();
    updateFooter();
    if (m_appeared)
        updateCamera();
}

void AddRecordSheet::scanTargetChanged()
{
    m_scanner->setReadsBarcodes(m_state->scanTarget() == AddRecordState::ScanTarget::barcode);
    m_scanner->resume();
    m_state->setRecognized(std::nullopt);
    m_state->setStatus(AddRecordState::Status::idle());
    updateFooter();
}

void AddRecordSheet::updateCamera()
{
    if (m_closed)
        return;
    const auto noCamera = m_environment.constFind(QStringLiteral("VORLA_NO_CAMERA"));
    if (noCamera != m_environment.constEnd() && *noCamera == u"1")
        return;
    if (m_state->mode() == AddMode::scan && m_state->phase() == AddRecordState::Phase::lookup
        && m_scanner->authorization() != CameraAuthorization::denied) {
        if (m_scanner->isRunning())
            m_scanner->resume();
        else
            m_scanner->start();
    } else {
        m_scanner->stop();
    }
}

void AddRecordSheet::updateHeader()
{
    using Phase = AddRecordState::Phase;
    const Phase phase = m_state->phase();
    const bool picker = phase == Phase::lookup || m_state->mode() == AddMode::manual;
    m_modePicker->setVisible(picker);
    m_headline->setVisible(!picker);
    m_headline->setText(phase == Phase::results ? tr("Choose a Release") : tr("Review & Add"));
    m_modeButtons[int(m_state->mode())]->setChecked(true);
    const int added = m_state->addedCount();
    m_addedLabel->setVisible(added >= 1);
    m_addedLabel->setText(QStringLiteral("✓ ") + tr("%1 added").arg(added));
}

void AddRecordSheet::updatePage()
{
    using Phase = AddRecordState::Phase;
    switch (m_state->phase()) {
    case Phase::lookup:
        if (m_state->mode() == AddMode::scan) {
            m_content->setCurrentWidget(m_cameraPane);
        } else {
            m_searchPane->setNoteInputs(m_services->useMusicBrainz(), m_hasDiscogsToken);
            m_content->setCurrentWidget(m_searchPane);
        }
        break;
    case Phase::results:
        m_content->setCurrentWidget(m_resultsPane);
        m_resultsPane->list()->setFocus();
        break;
    case Phase::loading:
        m_content->setCurrentWidget(m_loadingPage);
        break;
    case Phase::editing:
        m_content->setCurrentWidget(m_editorPage);
        break;
    }
}

void AddRecordSheet::updateFooter()
{
    using Phase = AddRecordState::Phase;
    const Phase phase = m_state->phase();
    const AddMode mode = m_state->mode();
    const bool working = m_state->status().isWorking();
    const bool lookUp = phase == Phase::lookup && mode == AddMode::scan
        && m_state->scanTarget() == AddRecordState::ScanTarget::barcode;

    m_lookUp->setVisible(lookUp);
    m_lookUp->setEnabled(
        Barcode::digits(m_state->barcodeText()).size() >= kMinimumBarcodeDigits && !working);
    m_search->setVisible(phase == Phase::lookup && !lookUp);
    m_search->setEnabled(!trimmedOfSpacesAndTabs(m_state->queryText()).isEmpty() && !working);
    m_resultsBack->setVisible(phase == Phase::results);
    m_enterManually->setVisible(phase == Phase::results);
    m_useRelease->setVisible(phase == Phase::results);
    m_useRelease->setEnabled(m_state->selectedCandidate().has_value());
    m_editingBack->setVisible(phase == Phase::editing && mode != AddMode::manual);
    m_addNext->setVisible(phase == Phase::editing);
    m_add->setVisible(phase == Phase::editing);
    // A cover still being reduced is not in the draft yet, and one still being prepared for
    // storing would be decoded again on this thread.
    const bool valid = m_state->draft().isValid() && !m_editorPage->editor()->isBusy();
    m_addNext->setEnabled(valid);
    m_add->setEnabled(valid);
    m_addNext->setText(mode == AddMode::scan ? tr("Add && Scan Next")
            : mode == AddMode::search        ? tr("Add && Search Next")
                                             : tr("Add && New"));
    // Setting the text replaces the shortcut with the text's mnemonic.
    m_addNext->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));

    QPushButton *primary = nullptr;
    switch (phase) {
    case Phase::lookup:
        primary = lookUp ? m_lookUp : m_search;
        break;
    case Phase::results:
        primary = m_useRelease;
        break;
    case Phase::loading:
        break;
    case Phase::editing:
        primary = m_add;
        break;
    }
    for (QPushButton *button : { m_lookUp, m_search, m_useRelease, m_add })
        button->setDefault(button == primary);
}

} // namespace vorla
