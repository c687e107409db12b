// The state the camera's frame worker shares with the GUI thread: the analysis throttle, the
// two-frame confirmation and the pending frame request. Every field is touched under one lock,
// which is never held while a frame is decoded or a request is answered.
#pragma once

#include <QImage>
#include <QString>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

namespace vorla {

// Injectable so tests can step time; the throttle must never follow the wall clock, which can
// jump back and would stall scanning.
using MonotonicClock = std::function<std::chrono::steady_clock::time_point()>;

class FrameState
{
public:
    // Answered exactly once: with a frame, or with a null image.
    using CaptureRequest = std::function<void(const QImage &)>;

    static constexpr std::chrono::milliseconds kAnalysisInterval{100};

    explicit FrameState(MonotonicClock clock = &std::chrono::steady_clock::now);

    // Registers a request; one that was pending is answered with none.
    void requestCapture(CaptureRequest request);
    // Answers the pending request, if any, with none.
    void cancelCapture();
    // Hands the pending request to the caller, who serves it with the current frame.
    CaptureRequest takeCapture();

    // True when this frame should be analysed; then it marks the analysis time.
    bool shouldAnalyzeFrame();
    // Feeds the valid code of an analysed frame (or none); returns the code once two analysed
    // frames agreed on it with no other valid code between them.
    std::optional<QString> confirm(const std::optional<QString> &code);

    // Re-arms detection: forgets the candidate, its hits and a report.
    void rearm();
    void setBarcodesEnabled(bool enabled);

    // For tests and diagnostics.
    bool reported() const;
    int hits() const;

private:
    MonotonicClock m_clock;
    mutable std::mutex m_lock;
    std::optional<std::chrono::steady_clock::time_point> m_lastAnalysis;
    std::optional<QString> m_candidate;
    int m_hits = 0;
    bool m_reported = false;
    bool m_barcodesEnabled = true;
    CaptureRequest m_capture;
};

} // namespace vorla
