#include "scanner/frame_state.h"

#include <utility>

namespace vorla {

FrameState::FrameState(MonotonicClock clock) : m_clock(std::move(clock)) {}

void FrameState::requestCapture(CaptureRequest request)
{
    CaptureRequest previous;
    {
        std::lock_guard guard(m_lock);
        previous = std::exchange(m_capture, std::move(request));
    }
    if (previous)
        previous(QImage());
}

void FrameState::cancelCapture()
{
    CaptureRequest pending = takeCapture();
    if (pending)
        pending(QImage());
}

FrameState::CaptureRequest FrameState::takeCapture()
{
    std::lock_guard guard(m_lock);
    return std::exchange(m_capture, nullptr);
}

bool FrameState::shouldAnalyzeFrame()
{
    std::lock_guard guard(m_lock);
    if (!m_barcodesEnabled || m_reported)
        return false;
    const auto now = m_clock();
    if (m_lastAnalysis && now - *m_lastAnalysis <= kAnalysisInterval)
        return false;
    m_lastAnalysis = now;
    return true;
}

std::optional<QString> FrameState::confirm(const std::optional<QString> &code)
{
    if (!code)
        return std::nullopt;
    std::lock_guard guard(m_lock);
    if (m_candidate == code) {
        ++m_hits;
        if (m_hits >= 2 && !m_reported) {
            m_reported = true;
            return code;
        }
        return std::nullopt;
    }
    m_candidate = code;
    m_hits = 1;
    return std::nullopt;
}

void FrameState::rearm()
{
    std::lock_guard guard(m_lock);
    m_candidate.reset();
    m_hits = 0;
    m_reported = false;
}

void FrameState::setBarcodesEnabled(bool enabled)
{
    std::lock_guard guard(m_lock);
    m_barcodesEnabled = enabled;
}

bool FrameState::reported() const
{
    std::lock_guard guard(m_lock);
    return m_reported;
}

int FrameState::hits() const
{
    std::lock_guard guard(m_lock);
    return m_hits;
}

} // namespace vorla
