// The live picture of the scanner's capture session, filling the widget (cropped, never
// letterboxed) on a black background.
#pragma once

#include "scanner/capture_session.h"

#include <QPointer>
#include <QVideoFrame>
#include <QWidget>

namespace vorla {

class CameraPreview : public QWidget
{
    Q_OBJECT
public:
    explicit CameraPreview(CaptureSession *session = nullptr, QWidget *parent = nullptr);

    CaptureSession *session() const { return m_session; }
    // Switches to another session; the same session leaves the preview untouched.
    void setSession(CaptureSession *session);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<CaptureSession> m_session;
    QMetaObject::Connection m_connection;
    QVideoFrame m_frame;
};

} // namespace vorla
