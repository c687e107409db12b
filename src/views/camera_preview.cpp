#include "views/camera_preview.h"

#include <QPainter>

namespace vorla {

CameraPreview::CameraPreview(CaptureSession *session, QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSession(session);
}

void CameraPreview::setSession(CaptureSession *session)
{
    if (m_session == session)
        return;
    disconnect(m_connection);
    m_session = session;
    m_frame = session ? session->latestFrame() : QVideoFrame();
    if (session) {
        // Frames arrive on the camera's thread; the queued hop paints them here.
        m_connection = connect(session, &CaptureSession::frameArrived, this,
                               [this](const QVideoFrame &frame) {
                                   m_frame = frame;
                                   update();
                               }, Qt::QueuedConnection);
    }
    update();
}

void CameraPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_frame.isValid())
        return;
    const QImage image = m_frame.toImage();
    if (image.isNull())
        return;
    QSizeF size = image.size();
    size.scale(this->size(), Qt::KeepAspectRatioByExpanding);
    const QRectF target((width() - size.width()) / 2.0, (height() - size.height()) / 2.0, size.width(),
                        size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}

} // namespace vorla
