#include "scanner/frame_state.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

using namespace vorla;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

struct SteppedClock {
    std::chrono::steady_clock::time_point now{};
    MonotonicClock function()
    {
        return [this] { return now; };
    }
};

} // namespace

TEST(FrameState, ConfirmsACodeSeenInTwoAnalysedFramesWithNoOtherCodeBetween)
{
    const std::optional<QString> none;
    const struct {
        const char *name;
        std::vector<std::optional<QString>> frames;
        int reportedAt; // 1-based frame that reports, 0 for none
        const char *code;
    } cases[] = {
        {"A A", {u"A"_s, u"A"_s}, 2, "A"},
        {"A B A A", {u"A"_s, u"B"_s, u"A"_s, u"A"_s}, 4, "A"},
        {"codeless frames keep the count", {u"A"_s, none, none, u"A"_s}, 4, "A"},
        {"A B B", {u"A"_s, u"B"_s, u"B"_s}, 3, "B"},
        {"alternating never agrees", {u"A"_s, u"B"_s, u"A"_s, u"B"_s}, 0, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FrameState state;
        int reportedAt = 0;
        QString code;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            if (const auto confirmed = state.confirm(c.frames[i]); confirmed && reportedAt == 0) {
                reportedAt = static_cast<int>(i) + 1;
                code = *confirmed;
            }
        }
        EXPECT_EQ(reportedAt, c.reportedAt);
        EXPECT_EQ(code, QString::fromLatin1(c.code));
    }
}

TEST(FrameState, ReportsOnceUntilRearmed)
{
    SteppedClock clock;
    FrameState state(clock.function());
    EXPECT_FALSE(state.confirm(u"A"_s));
    EXPECT_EQ(state.confirm(u"A"_s), u"A"_s);
    EXPECT_FALSE(state.confirm(u"A"_s));

    // No frame is analysed after a report.
    clock.now += 1s;
    EXPECT_FALSE(state.shouldAnalyzeFrame());

    state.rearm();
    EXPECT_TRUE(state.shouldAnalyzeFrame());
    EXPECT_FALSE(state.confirm(u"A"_s));
    EXPECT_EQ(state.confirm(u"A"_s), u"A"_s);
}

TEST(FrameState, ThrottlesAnalysisToStrictlyMoreThanATenthOfASecond)
{
    // The throttle reads a monotonic clock: a wall clock stepped back would stop scanning.
    static_assert(std::is_same_v<MonotonicClock::result_type, std::chrono::steady_clock::time_point>);
    static_assert(std::chrono::steady_clock::is_steady);

    SteppedClock clock;
    FrameState state(clock.function());
    EXPECT_TRUE(state.shouldAnalyzeFrame()); // the first frame is always analysed
    clock.now += 50ms;
    EXPECT_FALSE(state.shouldAnalyzeFrame());
    clock.now += 50ms; // exactly 0.1 s since the last analysis
    EXPECT_FALSE(state.shouldAnalyzeFrame());
    clock.now += 1ms;
    EXPECT_TRUE(state.shouldAnalyzeFrame());
    // Skipped frames do not move the mark.
    clock.now += 60ms;
    EXPECT_FALSE(state.shouldAnalyzeFrame());
    clock.now += 41ms;
    EXPECT_TRUE(state.shouldAnalyzeFrame());

    state.setBarcodesEnabled(false);
    clock.now += 1s;
    EXPECT_FALSE(state.shouldAnalyzeFrame());
    state.setBarcodesEnabled(true);
    EXPECT_TRUE(state.shouldAnalyzeFrame());
}

TEST(FrameState, EveryCaptureRequestIsAnsweredExactlyOnce)
{
    FrameState state;
    std::vector<bool> answers; // true: got a frame
    int firstCalls = 0;
    int secondCalls = 0;
    state.requestCapture([&](const QImage &image) {
        ++firstCalls;
        answers.push_back(!image.isNull());
    });
    // A newer request answers the pending one with none at once.
    state.requestCapture([&](const QImage &image) {
        ++secondCalls;
        answers.push_back(!image.isNull());
    });
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);

    FrameState::CaptureRequest pending = state.takeCapture();
    ASSERT_TRUE(pending);
    QImage frame(4, 4, QImage::Format_RGB32);
    pending(frame);
    EXPECT_FALSE(state.takeCapture());
    state.cancelCapture(); // nothing pending: no second answer
    EXPECT_EQ(secondCalls, 1);
    EXPECT_EQ(answers, (std::vector<bool>{false, true}));
}
