#include "scanner/barcode_scanner.h"

#include "models/error.h"
#include "recognition_fixtures.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <mutex>

using namespace vorla;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

class FakeCameras : public CameraBackend
{
public:
    QList<CameraDevice> devices() const override { return listed; }
    std::optional<CameraDevice> defaultDevice() const override { return systemDefault; }
    std::optional<QString> configure(const CameraDevice &device) override
    {
        configured.append(device.id);
        return failure;
    }
    void stop() override { ++stops; }
    CaptureSession *session() override { return &capture; }

    QList<CameraDevice> listed;
    std::optional<CameraDevice> systemDefault;
    std::optional<QString> failure;
    QStringList configured;
    int stops = 0;
    CaptureSession capture;
};

// Answers each analysed frame with the next scripted list of detections.
class ScriptedDetector : public BarcodeDetector
{
public:
    QList<DetectedBarcode> detect(const QImage &, const QList<BarcodeSymbology> &symbologies) const override
    {
        std::lock_guard guard(lock);
        lastSymbologies = symbologies;
        ++calls;
        if (script.empty())
            return {};
        QList<DetectedBarcode> next = script.front();
        script.pop_front();
        return next;
    }

    mutable std::mutex lock;
    mutable std::deque<QList<DetectedBarcode>> script;
    mutable QList<BarcodeSymbology> lastSymbologies;
    mutable int calls = 0;
};

struct Rig {
    FakeCameras *cameras = nullptr;
    std::shared_ptr<ScriptedDetector> detector = std::make_shared<ScriptedDetector>();
    std::chrono::steady_clock::time_point now{};
    std::unique_ptr<BarcodeScanner> scanner;
    QStringList detected;

    explicit Rig(QList<CameraDevice> devices = {{u"cam-1"_s, u"Built-in"_s}},
                 std::optional<CameraDevice> systemDefault = std::nullopt)
    {
        auto backend = std::make_unique<FakeCameras>();
        backend->listed = devices;
        backend->systemDefault = systemDefault;
        cameras = backend.get();
        scanner = std::make_unique<BarcodeScanner>(std::move(backend), detector, [this] { return now; });
        scanner->setOnDetect([this](const QString &code) { detected.append(code); });
    }

    // One frame 0.2 s after the previous one, analysed with the next scripted detections.
    void frame(QList<DetectedBarcode> detections)
    {
        detector->script.push_back(std::move(detections));
        now += 200ms;
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::gray);
        scanner->processFrame(test::videoFrame(image));
        QCoreApplication::processEvents();
    }
};

QList<DetectedBarcode> code(const char *payload, double confidence = 1.0)
{
    return {{QString::fromLatin1(payload), confidence}};
}

} // namespace

TEST(BarcodeScanner, LivePayloadValidity)
{
    const std::optional<BarcodeSymbology> unknown;
    const struct {
        const char *payload;
        std::optional<BarcodeSymbology> symbology;
        bool valid;
    } cases[] = {
        // 0 and seven digits: a UPC-E code, its check digit not retested.
        {"01234567", unknown, true},
        {"96385074", unknown, true},       // EAN-8 with a correct check digit
        {"96385075", unknown, false},      // EAN-8 with a wrong one
        {"036000291452", unknown, true},   // UPC-A
        {"4006381333931", unknown, true},  // EAN-13
        {"4006381333932", unknown, false},
        {"0123456789", unknown, false},    // 10 digits
        {"0123456A", unknown, false},      // a letter
        {"", unknown, false},
        // A number system 1 UPC-E code fails the EAN-8 check; the decoder verified its own.
        {"16543214", BarcodeSymbology::upce, true},
        {"16543214", unknown, false},
        {"16543214", BarcodeSymbology::ean8, false},
        {"1654321A", BarcodeSymbology::upce, false},
        {"165432", BarcodeSymbology::upce, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.payload);
        EXPECT_EQ(BarcodeScanner::isValidLivePayload(QString::fromLatin1(c.payload), c.symbology),
                  c.valid);
    }
}

TEST(BarcodeScanner, SymbologyLists)
{
    EXPECT_EQ(BarcodeScanner::liveSymbologies(),
              (QList<BarcodeSymbology>{BarcodeSymbology::ean13, BarcodeSymbology::ean8, BarcodeSymbology::upce}));
    EXPECT_EQ(BarcodeScanner::imageSymbologies().size(), 7);
    EXPECT_EQ(BarcodeScanner::imageSymbologies().mid(0, 3), BarcodeScanner::liveSymbologies());
}

TEST(BarcodeScanner, StartChoosesTheRequestedThenActiveThenDefaultThenFirstCamera)
{
    const CameraDevice first{u"first"_s, u"USB"_s};
    const CameraDevice second{u"second"_s, u"HD"_s};
    {
        Rig rig({first, second}, second);
        EXPECT_EQ(rig.scanner->devices(), (QList<CameraDevice>{first, second}));
        rig.scanner->start(u"first"_s);
        EXPECT_EQ(rig.scanner->activeDeviceID(), u"first"_s);
        // An unknown id falls back to the active camera.
        rig.scanner->start(u"gone"_s);
        EXPECT_EQ(rig.scanner->activeDeviceID(), u"first"_s);
        EXPECT_EQ(rig.cameras->configured, (QStringList{u"first"_s, u"first"_s}));
        EXPECT_TRUE(rig.scanner->isRunning());
        EXPECT_EQ(rig.scanner->errorMessage(), std::nullopt);
    }
    {
        Rig rig({first, second}, second);
        rig.scanner->start(u"gone"_s);
        EXPECT_EQ(rig.scanner->activeDeviceID(), u"second"_s); // the system default
    }
    {
        Rig rig({first, second});
        rig.scanner->start();
        EXPECT_EQ(rig.scanner->activeDeviceID(), u"first"_s); // the first listed
    }
}

TEST(BarcodeScanner, StartFailures)
{
    {
        Rig rig(QList<CameraDevice>{});
        QSignalSpy running(rig.scanner.get(), &BarcodeScanner::runningChanged);
        rig.scanner->start();
        EXPECT_EQ(rig.scanner->errorMessage(), u"No camera found."_s);
        EXPECT_FALSE(rig.scanner->isRunning());
        EXPECT_EQ(running.count(), 0);
        EXPECT_TRUE(rig.cameras->configured.isEmpty());
    }
    {
        Rig rig;
        rig.cameras->failure = kCannotUseDeviceMessage;
        rig.scanner->start();
        EXPECT_EQ(rig.scanner->errorMessage(),
                  u"This camera can't be used right now. It may be in use by another app."_s);
        EXPECT_FALSE(rig.scanner->isRunning());
        EXPECT_EQ(rig.scanner->activeDeviceID(), u"cam-1"_s);
        // A later successful start clears the message.
        rig.cameras->failure.reset();
        rig.scanner->start();
        EXPECT_EQ(rig.scanner->errorMessage(), std::nullopt);
        EXPECT_TRUE(rig.scanner->isRunning());
    }
    {
        // A camera failing while it runs shows the same message and stops.
        Rig rig;
        rig.scanner->start();
        emit rig.cameras->capture.failed(kCannotUseDeviceMessage);
        EXPECT_EQ(rig.scanner->errorMessage(), kCannotUseDeviceMessage);
        EXPECT_FALSE(rig.scanner->isRunning());
    }
}

TEST(BarcodeScanner, ConfirmedCodeReachesTheOwnerOnceOnTheGuiThread)
{
    Rig rig;
    rig.scanner->start();
    Qt::HANDLE callbackThread = nullptr;
    rig.scanner->setOnDetect([&](const QString &c) {
        callbackThread = QThread::currentThreadId();
        rig.detected.append(c);
    });
    rig.frame(code("4006381333931"));
    EXPECT_TRUE(rig.detected.isEmpty());
    // The first valid payload counts; confidence 0.5 itself is dropped.
    rig.frame({{u"4006381333932"_s, 1.0}, {u"96385074"_s, 0.5}, {u"4006381333931"_s, 0.9}});
    ASSERT_EQ(rig.detected, QStringList{u"4006381333931"_s});
    EXPECT_EQ(rig.scanner->detectedCode(), u"4006381333931"_s);
    EXPECT_EQ(callbackThread, QThread::currentThreadId());
    EXPECT_EQ(rig.detector->lastSymbologies, BarcodeScanner::liveSymbologies());

    // No frame is analysed after a report, until resume().
    const int calls = rig.detector->calls;
    rig.frame(code("96385074"));
    rig.frame(code("96385074"));
    EXPECT_EQ(rig.detector->calls, calls);
    rig.detector->script.clear();

    rig.scanner->resume();
    EXPECT_EQ(rig.scanner->detectedCode(), std::nullopt);
    rig.frame(code("4006381333931"));
    rig.frame(code("4006381333931"));
    EXPECT_EQ(rig.detected, (QStringList{u"4006381333931"_s, u"4006381333931"_s}));
}

TEST(BarcodeScanner, ReportWhileACodeIsShownIsDropped)
{
    Rig rig;
    rig.scanner->start();
    rig.scanner->setDetectedCode(u"96385074"_s);
    rig.frame(code("4006381333931"));
    rig.frame(code("4006381333931"));
    EXPECT_TRUE(rig.detected.isEmpty());
    EXPECT_EQ(rig.scanner->detectedCode(), u"96385074"_s);
}

TEST(BarcodeScanner, ReadsBarcodesOffStopsAnalysisButFramesStillServeRequests)
{
    Rig rig;
    rig.scanner->start();
    rig.scanner->setReadsBarcodes(false);
    QImage captured;
    bool answered = false;
    rig.scanner->captureFrame(rig.scanner.get(), [&](const QImage &image) {
        answered = true;
        captured = image;
    });
    rig.frame(code("4006381333931"));
    rig.frame(code("4006381333931"));
    EXPECT_EQ(rig.detector->calls, 0);
    EXPECT_TRUE(rig.detected.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }));
    EXPECT_EQ(captured.size(), QSize(8, 8));
}

TEST(BarcodeScanner, CaptureFrameAnswers)
{
    Rig rig;
    // Not running: none at once.
    bool answered = false;
    QImage image(1, 1, QImage::Format_RGB32);
    rig.scanner->captureFrame(rig.scanner.get(), [&](const QImage &i) {
        answered = true;
        image = i;
    });
    EXPECT_TRUE(answered);
    EXPECT_TRUE(image.isNull());

    // Of two requests before any frame, the first gets none as soon as the second is made;
    // without frames the second ends at the time-out.
    rig.scanner->start();
    int firstAnswers = 0;
    int secondAnswers = 0;
    rig.scanner->captureFrame(rig.scanner.get(), [&](const QImage &i) {
        ++firstAnswers;
        EXPECT_TRUE(i.isNull());
    });
    rig.scanner->captureFrame(rig.scanner.get(), [&](const QImage &i) {
        ++secondAnswers;
        EXPECT_TRUE(i.isNull());
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstAnswers == 1; }));
    EXPECT_EQ(secondAnswers, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return secondAnswers == 1; },
                                BarcodeScanner::kCaptureTimeoutMs + 2000));
    QTest::qWait(50);
    EXPECT_EQ(firstAnswers, 1);
}

TEST(BarcodeScanner, StopLeavesDetectionAlone)
{
    Rig rig;
    rig.scanner->start();
    rig.frame(code("4006381333931"));
    rig.scanner->stop();
    EXPECT_FALSE(rig.scanner->isRunning());
    EXPECT_EQ(rig.cameras->stops, 1);
    rig.frame(code("4006381333931"));
    EXPECT_EQ(rig.detected, QStringList{u"4006381333931"_s});
}

TEST(BarcodeScanner, LiveDecoderConfirmsARealCodeFromCameraFrames)
{
    auto backend = std::make_unique<FakeCameras>();
    backend->listed = {{u"cam"_s, u"cam"_s}};
    FakeCameras *cameras = backend.get();
    BarcodeScanner scanner(std::move(backend), BarcodeScanner::makeLiveDetector());
    QStringList detected;
    scanner.setOnDetect([&](const QString &c) { detected.append(c); });
    scanner.start();

    // A UPC-A sleeve code as a 1280x720 webcam sees it, delivered through the capture session.
    QImage scene = test::photoBackground(1280, 720);
    test::place(scene, test::barcodeSymbol(ZXing::BarcodeFormat::UPCA, "036000291452", 3), {640, 360}, 8);
    test::blurAndNoise(scene, 0.8, 6);
    // Frames keep coming, as from a camera: one that arrives while the worker is busy is dropped.
    auto stream = [&](const QVideoFrame &frame, qsizetype codes) {
        return QTest::qWaitFor(
            [&] {
                cameras->capture.publish(frame);
                QTest::qWait(120);
                return detected.size() >= codes;
            },
            10000);
    };
    ASSERT_TRUE(stream(test::videoFrame(scene), 1));
    EXPECT_EQ(detected, QStringList{u"0036000291452"_s});

    // A number system 1 UPC-E code, whose check digit only the decoder can verify.
    scanner.resume();
    QImage upce = test::photoBackground(1280, 720);
    test::place(upce, test::barcodeSymbol(ZXing::BarcodeFormat::UPCE, "16543214", 4), {640, 360},
                -6);
    test::blurAndNoise(upce, 0.8, 6);
    ASSERT_TRUE(stream(test::videoFrame(upce), 2));
    EXPECT_EQ(detected, (QStringList{u"0036000291452"_s, u"16543214"_s}));
}

TEST(BarcodeScanner, FrameLuminanceOfPlanarFrames)
{
    QVideoFrame frame(QVideoFrameFormat(QSize(4, 2), QVideoFrameFormat::Format_NV12));
    ASSERT_TRUE(frame.map(QVideoFrame::WriteOnly));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            frame.bits(0)[y * frame.bytesPerLine(0) + x] = static_cast<uchar>(10 * (y * 4 + x));
    frame.unmap();
    const QImage luma = frameLuminance(frame);
    ASSERT_EQ(luma.size(), QSize(4, 2));
    EXPECT_EQ(luma.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(luma.pixelColor(3, 1).red(), 70);
}
