// The one form in which every editable field of a record changes: cover, release facts,
// the collector's copy, the tracklist and the notes. It edits its own RecordDraft and never
// touches a stored record; whoever shows it decides what to do with the draft.
#pragma once

#include "models/record_draft.h"

#include <QScrollArea>

#include <optional>
#include <stop_token>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;

namespace vorla {

class AppSettings;
class CommaSeparatedField;
class CoverEditor;
class StarRating;

class RecordEditorForm : public QScrollArea
{
    Q_OBJECT

public:
    explicit RecordEditorForm(AppSettings &settings, QWidget *parent = nullptr);
    ~RecordEditorForm() override;

    // Shows the draft in every field.
    void setDraft(const RecordDraft &draft);
    const RecordDraft &draft() const { return m_draft; }
    // The cover editor is still reducing an image, or the draft's new cover is still being
    // prepared for storing.
    bool isBusy() const;
    // The draft's new cover prepared for storing off the GUI thread (RecordDraft::apply),
    // once ready; none while preparing and when the draft brings no new cover.
    const std::optional<PreparedDraftCover> &preparedCover() const { return m_prepared; }
    CoverEditor *coverEditor() const { return m_cover; }

    // The position proposed for a track added after `tracks`: "A1" for the first, the last
    // position's letter with its number plus one ("B12" gives "B13"), else empty.
    static QString nextTrackPosition(const QList<Track> &tracks);

signals:
    // Any field changed the draft.
    void draftChanged();
    void busyChanged(bool busy);

private:
    void build();
    void load();
    void rebuildListFields();
    void rebuildTracks();
    void addTrack();
    void removeTrack(const QUuid &id);
    void showPrice();
    void showPurchaseDate();
    void changed();
    void prepareCover();
    void updateBusy();

    AppSettings &m_settings;
    RecordDraft m_draft;
    bool m_loading = false;
    bool m_busy = false;
    // The cover bytes being prepared or prepared, and the result.
    std::optional<QByteArray> m_preparing;
    std::optional<PreparedDraftCover> m_prepared;
    std::stop_source m_preparation;

    CoverEditor *m_cover = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_year = nullptr;
    QLineEdit *m_country = nullptr;
    QLineEdit *m_label = nullptr;
    QLineEdit *m_catalogNumber = nullptr;
    QLineEdit *m_format = nullptr;
    QLineEdit *m_barcode = nullptr;
    QWidget *m_genresHolder = nullptr;
    QWidget *m_stylesHolder = nullptr;
    CommaSeparatedField *m_genres = nullptr;
    CommaSeparatedField *m_styles = nullptr;
    QComboBox *m_media = nullptr;
    QComboBox *m_sleeve = nullptr;
    StarRating *m_rating = nullptr;
    QCheckBox *m_favorite = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_price = nullptr;
    QCheckBox *m_dateKnown = nullptr;
    QDateEdit *m_date = nullptr;
    QVBoxLayout *m_trackRows = nullptr;
    QPlainTextEdit *m_notes = nullptr;
};

} // namespace vorla
