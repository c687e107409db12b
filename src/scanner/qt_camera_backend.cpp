#include "scanner/camera_backend.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

namespace vorla {

namespace {

bool camerasDisabled()
{
    return qEnvironmentVariable("VORLA_NO_CAMERA") == QLatin1String("1");
}

CameraDevice toDevice(const QCameraDevice &device)
{
    return {QString::fromUtf8(device.id()), device.description()};
}

class QtCameraBackend final : public CameraBackend
{
public:
    QtCameraBackend()
    {
        m_capture.setVideoSink(&m_sink);
        QObject::connect(&m_sink, &QVideoSink::videoFrameChanged, &m_session,
                         [this](const QVideoFrame &frame) { m_session.publish(frame); },
                         Qt::DirectConnection);
    }

    ~QtCameraBackend() override
    {
        if (m_camera)
            m_camera->stop();
        m_capture.setCamera(nullptr);
    }

    QList<CameraDevice> devices() const override
    {
        QList<CameraDevice> result;
        if (camerasDisabled())
            return result;
        for (const QCameraDevice &device : QMediaDevices::videoInputs())
            result.append(toDevice(device));
        return result;
    }

    std::optional<CameraDevice> defaultDevice() const override
    {
        if (camerasDisabled())
            return std::nullopt;
        const QCameraDevice device = QMediaDevices::defaultVideoInput();
        if (device.isNull())
            return std::nullopt;
        return toDevice(device);
    }

    std::optional<QString> configure(const CameraDevice &device) override
    {
        if (m_camera) {
            m_camera->stop();
            m_capture.setCamera(nullptr);
            m_camera.reset();
        }
        QCameraDevice chosen;
        for (const QCameraDevice &candidate : QMediaDevices::videoInputs()) {
            if (QString::fromUtf8(candidate.id()) == device.id)
                chosen = candidate;
        }
        if (chosen.isNull())
            return kCannotUseDeviceMessage;
        m_camera = std::make_unique<QCamera>(chosen);
        if (m_camera->error() != QCamera::NoError)
            return m_camera->errorString();
        QObject::connect(m_camera.get(), &QCamera::errorOccurred, &m_session,
                         [this](QCamera::Error error, const QString &) {
                             if (error != QCamera::NoError)
                                 emit m_session.failed(kCannotUseDeviceMessage);
                         });
        m_capture.setCamera(m_camera.get());
        m_camera->start();
        if (m_camera->error() != QCamera::NoError)
            return kCannotUseDeviceMessage;
        return std::nullopt;
    }

    void stop() override
    {
        if (m_camera && m_camera->isActive())
            m_camera->stop();
    }

    CaptureSession *session() override { return &m_session; }

private:
    CaptureSession m_session;
    QMediaCaptureSession m_capture;
    QVideoSink m_sink;
    std::unique_ptr<QCamera> m_camera;
};

} // namespace

std::unique_ptr<CameraBackend> makeQtCameraBackend()
{
    return std::make_unique<QtCameraBackend>();
}

} // namespace vorla
