#include "scanner/capture_session.h"

namespace vorla {

CaptureSession::CaptureSession(QObject *parent) : QObject(parent) {}

void CaptureSession::publish(const QVideoFrame &frame)
{
    {
        std::lock_guard guard(m_lock);
        m_latest = frame;
    }
    emit frameArrived(frame);
}

QVideoFrame CaptureSession::latestFrame() const
{
    std::lock_guard guard(m_lock);
    return m_latest;
}

} // namespace vorla
