// The cameras the scanner can use, behind an interface so tests never touch a real device.
#pragma once

#include "scanner/capture_session.h"

#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace vorla {

struct CameraDevice {
    QString id;
    QString description;

    bool operator==(const CameraDevice &) const = default;
};

// Camera permission as the rest of the system sees it; Linux has no permission prompt, so a
// camera is authorized unless it cannot be opened.
enum class CameraAuthorization { notDetermined, restricted, denied, authorized };

inline const QString kCannotUseDeviceMessage =
    QStringLiteral("This camera can't be used right now. It may be in use by another app.");

class CameraBackend
{
public:
    virtual ~CameraBackend() = default;

    virtual QList<CameraDevice> devices() const = 0;
    virtual std::optional<CameraDevice> defaultDevice() const = 0;
    virtual CameraAuthorization authorization() const { return CameraAuthorization::authorized; }
    // Switches capture to the device and starts it; the message of the failure otherwise.
    virtual std::optional<QString> configure(const CameraDevice &device) = 0;
    virtual void stop() = 0;
    virtual CaptureSession *session() = 0;
};

// Qt Multimedia cameras. With VORLA_NO_CAMERA set to "1" it lists no cameras at all, so test
// runs and staged screens never open a device.
std::unique_ptr<CameraBackend> makeQtCameraBackend();

} // namespace vorla
