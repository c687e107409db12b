// The sheet that adds records one at a time: find candidates by a camera or typed barcode,
// by text read from a photo or the camera, or by a typed search; choose one; review it in
// the editor form with a warning when it is owned already; add it, and go on with the next
// record keeping the shelf location and grades. Or type a record in by hand.
#pragma once

#include "app/add_mode.h"
#include "scanner/frame_state.h"
#include "views/add_record_state.h"

#include <QDialog>
#include <QHash>
#include <QThreadPool>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class QLabel;
class QPushButton;
class QSoundEffect;
class QStackedWidget;
class QToolButton;

namespace vorla {

class AddRecordCameraPane;
class AddRecordEditorPage;
class AddRecordResultsPane;
class AddRecordSearchPane;
class AddRecordServices;
class BarcodeScanner;
class ModelContext;

class AddRecordSheet : public QDialog
{
    Q_OBJECT

public:
    struct Options
    {
        // Null: the lookup facade and the real readers.
        std::shared_ptr<const AddRecordServices> services;
        // Null: the Qt Multimedia cameras.
        std::unique_ptr<BarcodeScanner> scanner;
        // The environment the staging variables are read from; none: the process's.
        std::optional<QHash<QString, QString>> environment;
        // Marks a detected barcode and a finished reading; null: the bundled sound.
        std::function<void()> chime;
        MonotonicClock clock = &std::chrono::steady_clock::now;
    };

    // A camera code whose lookup found nothing is not looked up again for this long, unless
    // another code comes between or the barcode field is edited.
    static constexpr std::chrono::seconds kRepeatPause { 3 };

    AddRecordSheet(AddMode initialMode, ModelContext *context, QWidget *parent = nullptr);
    AddRecordSheet(AddMode initialMode, ModelContext *context, Options options,
        QWidget *parent = nullptr);
    ~AddRecordSheet() override;

    AddRecordState *state() const { return m_state; }
    BarcodeScanner *scanner() const { return m_scanner.get(); }

    // The operations behind the sheet's buttons and fields.
    void lookUpBarcode(const QString &code);
    void searchText();
    void choose(const ReleaseCandidate &candidate);
    void save(bool addNext);
    void startManual(const QString &prefillBarcode);
    void scanImage(const QString &path);
    void scanImage(const QImage &image);
    void captureText();
    // Starts, resumes or stops the camera for the mode and phase.
    void updateCamera();
    // What the camera's detection hands over.
    void detected(const QString &code);

    // The duplicate warning for the current draft.
    std::optional<QString> duplicateWarning() const;

    void done(int result) override;

signals:
    // A record was inserted and saved; the window selects it.
    void added(const QUuid &id);
    // "Open Settings…" was chosen after a missing or rejected token.
    void openSettingsRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    using Fetch = std::function<QList<ReleaseCandidate>(std::stop_token)>;
    void run(const QString &message, Fetch fetch, const QString &empty);
    void cancelLookup();
    void appeared();
    void modeChanged();
    void scanTargetChanged();
    void apply(const RecognizedText &recognized);
    void readImage(const QString &path, const QImage &image);
    void updateHeader();
    void updatePage();
    void updateFooter();
    void updateWarning();
    void back();
    void ignoreAfterMiss(const QString &digits);
    void chime();
    void shutDown();

    ModelContext *m_context;
    std::shared_ptr<const AddRecordServices> m_services;
    std::unique_ptr<BarcodeScanner> m_scanner;
    QHash<QString, QString> m_environment;
    std::function<void()> m_chime;
    MonotonicClock m_clock;
    AddRecordState *m_state;
    // Shared by every sheet and owned by the application, so closing a sheet never waits
    // for a reading or a download that cannot be stopped at once.
    QThreadPool *m_pool;

    std::stop_source m_lookup;
    std::stop_source m_readings;
    bool m_appeared = false;
    bool m_closed = false;
    bool m_draftFromEditor = false;
    std::optional<bool> m_hasDiscogsToken;
    // The camera code whose lookup came back empty or failed, and when.
    QString m_missedDigits;
    std::chrono::steady_clock::time_point m_missedAt;
    // What the duplicate warning was computed for.
    struct WarningKey
    {
        std::optional<qint64> discogs;
        std::optional<QString> musicBrainz;
        QString barcode;
        bool operator==(const WarningKey &) const = default;
    };
    std::optional<WarningKey> m_warningKey;
    std::optional<QString> m_warning;

    QToolButton *m_modeButtons[3] = {};
    QWidget *m_modePicker = nullptr;
    QLabel *m_headline = nullptr;
    QLabel *m_addedLabel = nullptr;
    QStackedWidget *m_content = nullptr;
    AddRecordCameraPane *m_cameraPane = nullptr;
    AddRecordSearchPane *m_searchPane = nullptr;
    AddRecordResultsPane *m_resultsPane = nullptr;
    QWidget *m_loadingPage = nullptr;
    AddRecordEditorPage *m_editorPage = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_lookUp = nullptr;
    QPushButton *m_search = nullptr;
    QPushButton *m_resultsBack = nullptr;
    QPushButton *m_enterManually = nullptr;
    QPushButton *m_useRelease = nullptr;
    QPushButton *m_editingBack = nullptr;
    QPushButton *m_addNext = nullptr;
    QPushButton *m_add = nullptr;
    QSoundEffect *m_sound = nullptr;
};

} // namespace vorla
