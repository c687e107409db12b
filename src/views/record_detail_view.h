// The inspector for one selected record: cover, title and artist, an editable rating, the
// favourite toggle, the key facts as chips, edit / refresh / web / delete, and the release,
// copy, tracklist and notes sections. The rating, the favourite and the refresh change the
// stored record directly; the context's automatic saving persists them.
#pragma once

#include "app/metadata_refresher.h"
#include "views/components/flow_chips.h"
#include "views/record_actions.h"

#include <QPointer>
#include <QScrollArea>
#include <QUuid>

#include <optional>
#include <stop_token>

class QLabel;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace vorla {

class AppSettings;
class BusyIndicator;
class DetailRow;
class DetailSection;
class ModelContext;
class Record;
class RecordCover;
class StarRating;

class RecordDetailView : public QScrollArea
{
    Q_OBJECT

public:
    // `makeLookup` gives the lookup of one refresh (the facade, or a test's script).
    RecordDetailView(ModelContext *context, const QUuid &id, RecordActions actions,
        MetadataRefresher::LookupFactory makeLookup, AppSettings &settings,
        QWidget *parent = nullptr);
    ~RecordDetailView() override;

    QUuid recordID() const { return m_id; }
    bool isRefreshing() const { return m_refreshing; }
    std::optional<QString> refreshError() const { return m_refreshError; }

    // Looks the record up again from its Discogs id, else MusicBrainz id, else barcode, and
    // merges what comes back. The answer finds the record by id; a deleted one is left alone.
    void refresh();

    // The header facts: year, the format up to its first comma, country, and the grades
    // when the media is graded.
    static QList<ChipItem> chipItems(const Record &record);
    // Has a Discogs id, a MusicBrainz id (even an empty one) or a barcode with digits.
    static bool canRefresh(const Record &record);

signals:
    // A refresh ended (merged, found nothing or failed); refreshError() tells which.
    void refreshFinished();

private:
    void build();
    void reload();
    void reloadTracks(const Record &record);
    void updatePrice();
    void setRefreshing(bool refreshing);
    void finishRefresh(const std::optional<QString> &error);
    void deleteRecord();
    Record *record() const;

    QPointer<ModelContext> m_context;
    QUuid m_id;
    RecordActions m_actions;
    MetadataRefresher::LookupFactory m_makeLookup;
    AppSettings &m_settings;
    bool m_refreshing = false;
    std::optional<QString> m_refreshError;
    std::stop_source m_refreshStop;

    RecordCover *m_cover = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_artist = nullptr;
    StarRating *m_rating = nullptr;
    QToolButton *m_favorite = nullptr;
    FlowChips *m_chips = nullptr;
    QPushButton *m_edit = nullptr;
    QPushButton *m_refresh = nullptr;
    BusyIndicator *m_refreshSpinner = nullptr;
    QPushButton *m_web = nullptr;
    QPushButton *m_delete = nullptr;
    QWidget *m_errorLine = nullptr;
    QLabel *m_errorText = nullptr;
    DetailRow *m_labelRow = nullptr;
    DetailRow *m_catalogRow = nullptr;
    DetailRow *m_formatRow = nullptr;
    DetailRow *m_countryRow = nullptr;
    DetailRow *m_barcodeRow = nullptr;
    DetailRow *m_genresRow = nullptr;
    DetailRow *m_stylesRow = nullptr;
    DetailRow *m_mediaRow = nullptr;
    DetailRow *m_sleeveRow = nullptr;
    DetailRow *m_locationRow = nullptr;
    DetailRow *m_paidRow = nullptr;
    DetailRow *m_purchasedRow = nullptr;
    DetailRow *m_addedRow = nullptr;
    DetailSection *m_tracklist = nullptr;
    DetailSection *m_notes = nullptr;
    QLabel *m_notesText = nullptr;
    QByteArray m_shownTracklist;
};

} // namespace vorla
