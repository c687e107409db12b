// Scripted stand-ins for what the add-record sheet reaches: the lookup facade, the image and
// text readers, and the cameras with a scripted barcode decoder.
#pragma once

#include "scanner/barcode_scanner.h"
#include "services/release_query.h"
#include "views/add_record_services.h"

#include <QCoreApplication>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <atomic>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace vorla::test {

// Every answer comes from a function the test sets before the sheet asks; calls are counted.
// A held gate keeps a lookup waiting until it is opened or the lookup is cancelled.
class FakeServices : public AddRecordServices
{
public:
    QList<ReleaseCandidate> lookup(const QString &barcode, std::stop_token stop) const override
    {
        record(lookups, barcode);
        waitAtGate(stop);
        return onLookup ? onLookup(barcode) : QList<ReleaseCandidate>();
    }
    QList<ReleaseCandidate> search(const ReleaseQuery &query, std::stop_token stop) const override
    {
        record(searches, query.freeText());
        waitAtGate(stop);
        return onSearch ? onSearch(query) : QList<ReleaseCandidate>();
    }
    RecordDraft details(const ReleaseCandidate &candidate, std::stop_token) const override
    {
        record(detailRequests, candidate.id());
        return onDetails ? onDetails(candidate) : draftFromCandidate(candidate);
    }
    void attachCover(RecordDraft &draft, std::stop_token) const override
    {
        ++covers;
        if (draft.coverURL)
            draft.coverImageData = QByteArray("cover");
    }
    QByteArray thumbnail(const QUrl &, std::stop_token) const override { return {}; }
    bool hasDiscogsToken() const override { return token; }
    bool useMusicBrainz() const override { return musicBrainz; }
    QStringList scanImage(const QString &path) const override
    {
        record(images, path);
        return onScanImage ? onScanImage(path) : QStringList();
    }
    RecognizedText recognize(const QString &path) const override
    {
        record(images, path);
        return onRecognizeFile ? onRecognizeFile(path) : RecognizedText();
    }
    RecognizedText recognize(const QImage &) const override
    {
        ++frames;
        return onRecognizeFrame ? onRecognizeFrame() : RecognizedText();
    }

    void hold()
    {
        std::lock_guard guard(lock);
        held = true;
    }
    void open()
    {
        {
            std::lock_guard guard(lock);
            held = false;
        }
        gate.notify_all();
    }
    QStringList calls(const QStringList &list) const
    {
        std::lock_guard guard(lock);
        return list;
    }

    std::function<QList<ReleaseCandidate>(const QString &)> onLookup;
    std::function<QList<ReleaseCandidate>(const ReleaseQuery &)> onSearch;
    std::function<RecordDraft(const ReleaseCandidate &)> onDetails;
    std::function<QStringList(const QString &)> onScanImage;
    std::function<RecognizedText(const QString &)> onRecognizeFile;
    std::function<RecognizedText()> onRecognizeFrame;
    bool token = true;
    bool musicBrainz = true;

    mutable std::mutex lock;
    mutable std::condition_variable_any gate;
    bool held = false;
    mutable std::atomic<bool> sawStop = false;
    mutable QStringList lookups, searches, detailRequests, images;
    mutable std::atomic<int> covers = 0, frames = 0;

private:
    void record(QStringList &list, const QString &value) const
    {
        std::lock_guard guard(lock);
        list.append(value);
    }
    void waitAtGate(std::stop_token stop) const
    {
        std::unique_lock guard(lock);
        gate.wait(guard, stop, [this] { return !held; });
        if (stop.stop_requested())
            sawStop = true;
    }
};

class FakeCameras : public CameraBackend
{
public:
    QList<CameraDevice> devices() const override { return listed; }
    std::optional<CameraDevice> defaultDevice() const override
    {
        return listed.isEmpty() ? std::nullopt : std::optional(listed.first());
    }
    CameraAuthorization authorization() const override { return access; }
    std::optional<QString> configure(const CameraDevice &device) override
    {
        configured.append(device.id);
        return std::nullopt;
    }
    void stop() override { ++stops; }
    CaptureSession *session() override { return &capture; }

    QList<CameraDevice> listed;
    CameraAuthorization access = CameraAuthorization::authorized;
    QStringList configured;
    int stops = 0;
    CaptureSession capture;
};

// Answers each analysed frame with the next scripted code, none when the script is empty.
class ScriptedDetector : public BarcodeDetector
{
public:
    QList<DetectedBarcode> detect(const QImage &, const QList<BarcodeSymbology> &) const override
    {
        std::lock_guard guard(lock);
        if (script.empty())
            return {};
        QList<DetectedBarcode> next = script.front();
        script.pop_front();
        return next;
    }

    mutable std::mutex lock;
    mutable std::deque<QList<DetectedBarcode>> script;
};

inline QVideoFrame grayFrame()
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::gray);
    QVideoFrame frame(QVideoFrameFormat(image.size(), QVideoFrameFormat::Format_BGRA8888));
    frame.map(QVideoFrame::WriteOnly);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(frame.bits(0) + qsizetype(y) * frame.bytesPerLine(0), image.constScanLine(y),
            size_t(image.width()) * 4);
    frame.unmap();
    return frame;
}

// A scanner over the fake cameras whose frames the test delivers one by one.
struct FakeCamera
{
    FakeCameras *cameras = nullptr;
    std::shared_ptr<ScriptedDetector> detector = std::make_shared<ScriptedDetector>();
    std::chrono::steady_clock::time_point now {};
    CameraAuthorization access = CameraAuthorization::authorized;

    std::unique_ptr<BarcodeScanner> makeScanner(QList<CameraDevice> devices)
    {
        auto backend = std::make_unique<FakeCameras>();
        backend->listed = std::move(devices);
        backend->access = access;
        cameras = backend.get();
        return std::make_unique<BarcodeScanner>(std::move(backend), detector, [this] { return now; });
    }

    // One frame 0.2 s after the previous one, decoded as `payload` (nothing when empty).
    void frame(BarcodeScanner &scanner, const QString &payload)
    {
        {
            std::lock_guard guard(detector->lock);
            detector->script.push_back(payload.isEmpty() ? QList<DetectedBarcode>()
                                                         : QList<DetectedBarcode> { { payload, 1.0 } });
        }
        now += std::chrono::milliseconds(200);
        scanner.processFrame(grayFrame());
        QCoreApplication::processEvents();
    }
};

inline ReleaseCandidate candidate(const QString &id, const QString &title,
    MetadataSource source = MetadataSource::discogs)
{
    ReleaseCandidate c;
    c.source = source;
    c.sourceID = id;
    c.title = title;
    c.artist = QStringLiteral("Artist of ") + title;
    return c;
}

} // namespace vorla::test
