// The add-record sheet's scan page: what the camera reads (a barcode, or the text of a spine
// or label), the live picture with its reticle and hint, the camera chooser, a field for a
// typed barcode, the reading of image files and the text-reading panel.
#pragma once

#include "views/add_record_state.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace vorla {

class AddRecordStatusView;
class BarcodeScanner;
class CameraPreview;
class FlowLayout;

class AddRecordCameraPane : public QWidget
{
    Q_OBJECT

public:
    AddRecordCameraPane(AddRecordState *state, BarcodeScanner *scanner, QWidget *parent = nullptr);

    // The hint under the picture.
    QString scanHint() const;
    // The lines offered besides the catalog numbers: those that are no catalog number in
    // another spelling, at most 16.
    static QStringList otherLines(const RecognizedText &recognized);

    AddRecordStatusView *statusView() const { return m_status; }
    QLineEdit *barcodeField() const { return m_barcodeField; }
    QLineEdit *queryField() const { return m_queryField; }
    QPushButton *captureButton() const { return m_capture; }
    QMenu *cameraMenu() const { return m_cameraMenu; }
    QToolButton *cameraMenuButton() const { return m_cameraButton; }
    // Which page the camera box shows: "preview", "denied", "noCamera" or "notDetermined".
    QString cameraAreaPage() const;

signals:
    void chooseImageRequested();
    void captureRequested();
    // The first file dropped on the camera box.
    void imageDropped(const QString &path);
    // An image pasted while the pane is shown.
    void imagePasted(const QImage &image);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the picture or the image file on the clipboard; false when it holds neither.
    bool pasteImage();
    void updateTarget();
    void updateCameraArea();
    void updateHint();
    void updateMenu();
    void updateCapture();
    void updateReading();
    QPushButton *tokenButton(const QString &token, bool prominent, QWidget *parent);

    AddRecordState *m_state;
    BarcodeScanner *m_scanner;

    QToolButton *m_targetBarcode = nullptr;
    QToolButton *m_targetText = nullptr;
    QWidget *m_box = nullptr;
    QStackedWidget *m_area = nullptr;
    CameraPreview *m_preview = nullptr;
    QWidget *m_messagePage = nullptr;
    QLabel *m_messageIcon = nullptr;
    QLabel *m_messageTitle = nullptr;
    QLabel *m_messageText = nullptr;
    QPushButton *m_enableCamera = nullptr;
    QWidget *m_reticle = nullptr;
    QLabel *m_hint = nullptr;
    QToolButton *m_cameraButton = nullptr;
    QMenu *m_cameraMenu = nullptr;
    QPushButton *m_imageButton = nullptr;
    QPushButton *m_capture = nullptr;
    QWidget *m_barcodeRow = nullptr;
    QLineEdit *m_barcodeField = nullptr;
    QWidget *m_textPanel = nullptr;
    QLineEdit *m_queryField = nullptr;
    QStackedWidget *m_reading = nullptr;
    QWidget *m_tokens = nullptr;
    AddRecordStatusView *m_status = nullptr;
};

} // namespace vorla
