// Where the frames of the running camera arrive. The scanner analyses them and the camera
// preview paints them; both only listen, so either works without the other.
#pragma once

#include <QObject>
#include <QVideoFrame>

#include <mutex>

namespace vorla {

class CaptureSession : public QObject
{
    Q_OBJECT
public:
    explicit CaptureSession(QObject *parent = nullptr);

    // Called by the camera's delivery thread (or a test) for every frame.
    void publish(const QVideoFrame &frame);
    QVideoFrame latestFrame() const;

signals:
    // Emitted on the publishing thread.
    void frameArrived(const QVideoFrame &frame);
    // The running camera failed after it was started (unplugged, taken by another program).
    void failed(const QString &message);

private:
    mutable std::mutex m_lock;
    QVideoFrame m_latest;
};

} // namespace vorla
