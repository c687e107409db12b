// The camera barcode scanner: one capture session, live EAN/UPC reading with two-frame
// confirmation, single frames lent out as stills, and barcode reading of image files.
// Lives on the GUI thread; only the frame pipeline runs elsewhere.
#pragma once

#include "scanner/barcode_detector.h"
#include "scanner/camera_backend.h"
#include "scanner/frame_state.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <QVideoFrame>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace vorla {

class BarcodeScanner : public QObject
{
    Q_OBJECT
public:
    // A pending frame request ends with none after this long without a frame.
    static constexpr int kCaptureTimeoutMs = 2000;

    // Qt Multimedia cameras and the ZXing decoder.
    explicit BarcodeScanner(QObject *parent = nullptr);
    // The live decoder: quick settings that keep a 720p frame well under the frame interval.
    static std::shared_ptr<const BarcodeDetector> makeLiveDetector();
    BarcodeScanner(std::unique_ptr<CameraBackend> backend,
                   std::shared_ptr<const BarcodeDetector> detector,
                   MonotonicClock clock = &std::chrono::steady_clock::now, QObject *parent = nullptr);
    ~BarcodeScanner() override;

    // EAN-13, EAN-8, UPC-E.
    static const QList<BarcodeSymbology> &liveSymbologies();
    // The live ones plus Code 128, Code 39, Interleaved 2 of 5 and ITF-14.
    static const QList<BarcodeSymbology> &imageSymbologies();
    // A live payload worth confirming: a UPC-E code (8 digits starting with 0, or 8 digits
    // the decoder read as UPC-E, its check digit verified there) or 8, 12 or 13 digits with a
    // correct GTIN check digit.
    static bool isValidLivePayload(const QString &payload,
                                   std::optional<BarcodeSymbology> symbology = std::nullopt);

    // Every barcode payload in an image file, in reading order, without repeats; no checksum
    // or confidence filter. Throws vorla::Error when the file is no readable image.
    // Synchronous and thread-safe: call it from a worker.
    static QStringList scanImage(const QString &path);
    static QStringList scanImage(const QString &path, const BarcodeDetector &detector);

    QList<CameraDevice> devices() const { return m_devices; }
    std::optional<QString> activeDeviceID() const { return m_activeDeviceID; }
    CameraAuthorization authorization() const { return m_authorization; }
    bool isRunning() const { return m_isRunning; }
    std::optional<QString> detectedCode() const { return m_detectedCode; }
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    bool readsBarcodes() const { return m_readsBarcodes; }
    CaptureSession *session() const;

    void setDetectedCode(const std::optional<QString> &code);
    void setErrorMessage(const std::optional<QString> &message);
    void setReadsBarcodes(bool reads);
    // Called on the GUI thread with each confirmed code.
    void setOnDetect(std::function<void(const QString &)> onDetect);

    void refreshDevices();
    // Chooses the camera (this id, else the active one, else the default, else the first),
    // re-arms detection and starts capture; the outcome is in the observed properties.
    void start(const std::optional<QString> &deviceID = std::nullopt);
    void stop();
    // Forgets a confirmed code so the next one is reported.
    void resume();
    // The next camera frame, handed to `done` on the GUI thread while `context` lives; a null
    // image when not running, after the time-out, or when a newer request replaces this one.
    void captureFrame(QObject *context, std::function<void(const QImage &)> done);

    // The frame pipeline; thread-safe, runs on the frame worker (tests call it directly).
    void processFrame(const QVideoFrame &frame);

signals:
    void devicesChanged();
    void activeDeviceIDChanged();
    void authorizationChanged();
    void runningChanged();
    void detectedCodeChanged();
    void errorMessageChanged();
    void readsBarcodesChanged();

private:
    void setRunning(bool running);
    void setAuthorization(CameraAuthorization authorization);
    void setActiveDeviceID(const std::optional<QString> &id);
    void handle(const QString &code);
    void enqueueFrame(const QVideoFrame &frame);

    std::unique_ptr<CameraBackend> m_backend;
    std::shared_ptr<const BarcodeDetector> m_detector;
    FrameState m_state;
    QList<CameraDevice> m_devices;
    std::optional<QString> m_activeDeviceID;
    CameraAuthorization m_authorization = CameraAuthorization::authorized;
    bool m_isRunning = false;
    std::optional<QString> m_detectedCode;
    std::optional<QString> m_errorMessage;
    bool m_readsBarcodes = true;
    std::function<void(const QString &)> m_onDetect;
    // The serial frame worker; a frame arriving while it is busy is dropped, as late frames are.
    QThreadPool m_frameWorker;
    std::atomic<bool> m_frameBusy = false;
};

// The luminance of a camera frame (the Y plane where the format has one), for decoding.
QImage frameLuminance(const QVideoFrame &frame);

} // namespace vorla
