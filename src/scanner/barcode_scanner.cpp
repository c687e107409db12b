#include "scanner/barcode_scanner.h"

#include "models/error.h"
#include "scanner/image_file.h"
#include "services/barcode.h"
#include "core/text_util.h"

#include <QCoreApplication>
#include <QTimer>
#include <QVideoFrameFormat>

#include <cstring>

namespace vorla {

namespace {

// Photos are decoded reduced to this; a code on a record sleeve stays several pixels a bar.
constexpr int kStillMaxSide = 2048;
// A photo that shows no code reduced is read once more at up to this size, so a small code on
// a photo of the whole sleeve is not lost to the reduction.
constexpr int kStillRetrySide = 3072;

QStringList scanImageFile(const QString &path, const BarcodeDetector &detector,
                          const BarcodeDetector &largerDetector)
{
    const QImage image = loadUprightImage(path, kStillMaxSide);
    const QList<BarcodeSymbology> &symbologies = BarcodeScanner::imageSymbologies();
    QList<DetectedBarcode> found = detector.detect(image, symbologies);
    const QSize stored = uprightImageSize(path);
    if (found.isEmpty() && std::max(stored.width(), stored.height()) > kStillMaxSide) {
        const QImage larger = readUprightImage(path, kStillRetrySide);
        if (!larger.isNull())
            found = largerDetector.detect(larger, symbologies);
    }
    QStringList payloads;
    for (const DetectedBarcode &barcode : std::as_const(found))
        payloads.append(barcode.payload);
    return uniqued(payloads);
}

} // namespace

BarcodeScanner::BarcodeScanner(QObject *parent)
    : BarcodeScanner(makeQtCameraBackend(), makeLiveDetector(), &std::chrono::steady_clock::now,
                     parent)
{
}

std::shared_ptr<const BarcodeDetector> BarcodeScanner::makeLiveDetector()
{
    ZXingBarcodeDetector::Options options;
    options.maxSide = 1280;
    options.findTilted = false;
    options.tryHarder = false;
    options.maxCodes = 1;
    return std::make_shared<ZXingBarcodeDetector>(options);
}

BarcodeScanner::BarcodeScanner(std::unique_ptr<CameraBackend> backend,
                               std::shared_ptr<const BarcodeDetector> detector, MonotonicClock clock,
                               QObject *parent)
    : QObject(parent), m_backend(std::move(backend)), m_detector(std::move(detector)),
      m_state(std::move(clock))
{
    m_frameWorker.setMaxThreadCount(1);
    m_frameWorker.setObjectName(QStringLiteral("vorla.camera.frames"));
    m_authorization = m_backend->authorization();
    CaptureSession *capture = m_backend->session();
    connect(capture, &CaptureSession::frameArrived, this,
            [this](const QVideoFrame &frame) { enqueueFrame(frame); }, Qt::DirectConnection);
    connect(capture, &CaptureSession::failed, this, [this](const QString &message) {
        setErrorMessage(message);
        setRunning(false);
    });
    refreshDevices();
}

BarcodeScanner::~BarcodeScanner()
{
    disconnect(m_backend->session(), nullptr, this, nullptr);
    m_frameWorker.waitForDone();
    // A pending request still gets its one answer.
    m_state.cancelCapture();
}

const QList<BarcodeSymbology> &BarcodeScanner::liveSymbologies()
{
    static const QList<BarcodeSymbology> symbologies = {
        BarcodeSymbology::ean13, BarcodeSymbology::ean8, BarcodeSymbology::upce};
    return symbologies;
}

const QList<BarcodeSymbology> &BarcodeScanner::imageSymbologies()
{
    static const QList<BarcodeSymbology> symbologies = {
        BarcodeSymbology::ean13,   BarcodeSymbology::ean8,   BarcodeSymbology::upce,
        BarcodeSymbology::code128, BarcodeSymbology::code39, BarcodeSymbology::interleaved2of5,
        BarcodeSymbology::itf14};
    return symbologies;
}

bool BarcodeScanner::isValidLivePayload(const QString &payload,
                                        std::optional<BarcodeSymbology> symbology)
{
    // UPC-E check digits are computed over the expanded code, which the plain GTIN rule
    // would reject; the decoder has verified them already. Number system 1 codes start
    // with 1, so the decoder's word is what tells them apart from a misread EAN-8.
    const bool eightDigits = payload.size() == 8
        && std::all_of(payload.begin(), payload.end(), [](QChar c) { return c.isDigit(); });
    if (eightDigits && (payload.front() == u'0' || symbology == BarcodeSymbology::upce))
        return true;
    return Barcode::hasValidChecksum(payload);
}

QStringList BarcodeScanner::scanImage(const QString &path)
{
    static const ZXingBarcodeDetector detector;
    // Turning a picture this large to 45 degrees costs more than the rest of the reading; the
    // decoder's own tolerance and the quarter turn cover the small codes it is there for.
    static const ZXingBarcodeDetector larger(
        ZXingBarcodeDetector::Options{.maxSide = kStillRetrySide, .findTilted = false});
    return scanImageFile(path, detector, larger);
}

QStringList BarcodeScanner::scanImage(const QString &path, const BarcodeDetector &detector)
{
    return scanImageFile(path, detector, detector);
}

CaptureSession *BarcodeScanner::session() const
{
    return m_backend->session();
}

void BarcodeScanner::setDetectedCode(const std::optional<QString> &code)
{
    if (m_detectedCode == code)
        return;
    m_detectedCode = code;
    emit detectedCodeChanged();
}

void BarcodeScanner::setErrorMessage(const std::optional<QString> &message)
{
    if (m_errorMessage == message)
        return;
    m_errorMessage = message;
    emit errorMessageChanged();
}

void BarcodeScanner::setReadsBarcodes(bool reads)
{
    // Copied on every set, so the worker sees it even when the observed value did not change.
    m_state.setBarcodesEnabled(reads);
    if (m_readsBarcodes == reads)
        return;
    m_readsBarcodes = reads;
    emit readsBarcodesChanged();
}

void BarcodeScanner::setOnDetect(std::function<void(const QString &)> onDetect)
{
    m_onDetect = std::move(onDetect);
}

void BarcodeScanner::setRunning(bool running)
{
    if (m_isRunning == running)
        return;
    m_isRunning = running;
    emit runningChanged();
}

void BarcodeScanner::setAuthorization(CameraAuthorization authorization)
{
    if (m_authorization == authorization)
        return;
    m_authorization = authorization;
    emit authorizationChanged();
}

void BarcodeScanner::setActiveDeviceID(const std::optional<QString> &id)
{
    if (m_activeDeviceID == id)
        return;
    m_activeDeviceID = id;
    emit activeDeviceIDChanged();
}

void BarcodeScanner::refreshDevices()
{
    const QList<CameraDevice> devices = m_backend->devices();
    if (m_devices == devices)
        return;
    m_devices = devices;
    emit devicesChanged();
}

void BarcodeScanner::start(const std::optional<QString> &deviceID)
{
    setAuthorization(m_backend->authorization());
    if (m_authorization != CameraAuthorization::authorized)
        return;
    refreshDevices();

    auto withID = [this](const std::optional<QString> &id) -> std::optional<CameraDevice> {
        if (!id)
            return std::nullopt;
        for (const CameraDevice &device : std::as_const(m_devices)) {
            if (device.id == *id)
                return device;
        }
        return std::nullopt;
    };
    std::optional<CameraDevice> chosen = withID(deviceID);
    if (!chosen)
        chosen = withID(m_activeDeviceID);
    if (!chosen)
        chosen = m_backend->defaultDevice();
    if (!chosen && !m_devices.isEmpty())
        chosen = m_devices.front();
    if (!chosen) {
        setErrorMessage(QStringLiteral("No camera found."));
        return;
    }

    setActiveDeviceID(chosen->id);
    setDetectedCode(std::nullopt);
    m_state.rearm();
    const std::optional<QString> failure = m_backend->configure(*chosen);
    setErrorMessage(failure);
    setRunning(!failure);
}

void BarcodeScanner::stop()
{
    setRunning(false);
    m_backend->stop();
}

void BarcodeScanner::resume()
{
    setDetectedCode(std::nullopt);
    m_state.rearm();
}

void BarcodeScanner::captureFrame(QObject *context, std::function<void(const QImage &)> done)
{
    if (!m_isRunning) {
        done(QImage());
        return;
    }
    QPointer<QObject> guard(context);
    m_state.requestCapture([guard, done = std::move(done)](const QImage &image) {
        // Answered from the frame worker or the GUI thread; the owner hears it on the GUI
        // thread, and only while it still exists.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done, image] {
                if (guard)
                    done(image);
            },
            Qt::QueuedConnection);
    });
    // Ends whatever request is pending when it fires, as the one pending request is the one
    // that waits.
    QTimer::singleShot(kCaptureTimeoutMs, this, [this] { m_state.cancelCapture(); });
}

void BarcodeScanner::enqueueFrame(const QVideoFrame &frame)
{
    if (m_frameBusy.exchange(true))
        return;
    m_frameWorker.start([this, frame] {
        processFrame(frame);
        m_frameBusy = false;
    });
}

void BarcodeScanner::processFrame(const QVideoFrame &frame)
{
    if (!frame.isValid())
        return;

    if (FrameState::CaptureRequest request = m_state.takeCapture())
        request(frame.toImage());

    if (!m_state.shouldAnalyzeFrame())
        return;

    std::optional<QString> code;
    for (const DetectedBarcode &barcode : m_detector->detect(frameLuminance(frame), liveSymbologies())) {
        if (barcode.confidence <= 0.5 || barcode.payload.isEmpty())
            continue;
        if (isValidLivePayload(barcode.payload, barcode.symbology)) {
            code = barcode.payload;
            break;
        }
    }
    if (const std::optional<QString> confirmed = m_state.confirm(code))
        handle(*confirmed);
}

void BarcodeScanner::handle(const QString &code)
{
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            if (m_detectedCode)
                return;
            setDetectedCode(code);
            if (m_onDetect)
                m_onDetect(code);
        },
        Qt::QueuedConnection);
}

QImage frameLuminance(const QVideoFrame &source)
{
    QVideoFrame frame = source;
    switch (frame.pixelFormat()) {
    case QVideoFrameFormat::Format_NV12:
    case QVideoFrameFormat::Format_NV21:
    case QVideoFrameFormat::Format_YUV420P:
    case QVideoFrameFormat::Format_YUV422P:
    case QVideoFrameFormat::Format_YV12:
    case QVideoFrameFormat::Format_IMC1:
    case QVideoFrameFormat::Format_IMC2:
    case QVideoFrameFormat::Format_IMC3:
    case QVideoFrameFormat::Format_IMC4:
    case QVideoFrameFormat::Format_Y8: {
        if (!frame.map(QVideoFrame::ReadOnly))
            return {};
        QImage luma(frame.width(), frame.height(), QImage::Format_Grayscale8);
        const uchar *plane = frame.bits(0);
        const int stride = frame.bytesPerLine(0);
        if (plane && stride >= frame.width()) {
            for (int y = 0; y < frame.height(); ++y)
                std::memcpy(luma.scanLine(y), plane + static_cast<qsizetype>(y) * stride,
                            static_cast<size_t>(frame.width()));
        } else {
            luma = QImage();
        }
        frame.unmap();
        return luma;
    }
    default:
        return frame.toImage().convertToFormat(QImage::Format_Grayscale8);
    }
}

} // namespace vorla
