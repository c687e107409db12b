#include "support/scripted_transport.h"

#include "models/error.h"
#include "services/rate_limiter.h"

#include <QHash>

#include <condition_variable>
#include <mutex>

namespace vorla::test {

namespace {

QString key(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

class ScriptedTransport::Impl : public HttpTransport
{
public:
    HttpResponse send(const HttpRequest &request, std::stop_token stop) override
    {
        std::optional<Answer> answer;
        std::function<std::optional<Answer>(const HttpRequest &)> handler;
        {
            std::lock_guard lock(mutex);
            requests.append(request);
            auto it = answers.find(key(request.url));
            if (it != answers.end() && !it->isEmpty())
                answer = it->size() > 1 ? it->takeFirst() : it->first();
            handler = this->handler;
        }
        if (!answer && handler)
            answer = handler(request);
        if (!answer)
            throw NetworkError(QStringLiteral("No scripted answer for ") + key(request.url));
        if (answer->delay.count() > 0) {
            std::mutex waitMutex;
            std::condition_variable_any wakeUp;
            std::unique_lock lock(waitMutex);
            wakeUp.wait_for(lock, stop, answer->delay, [] { return false; });
        }
        if (stop.stop_requested())
            throw CancelledError();
        if (answer->networkError)
            throw NetworkError(*answer->networkError);
        HttpResponse response;
        response.status = answer->status;
        response.body = answer->body;
        response.headers = answer->headers;
        response.url = request.url;
        return response;
    }

    void pause(std::chrono::milliseconds duration, std::stop_token stop) override
    {
        std::function<void(std::chrono::milliseconds)> hook;
        {
            std::lock_guard lock(mutex);
            pauses.append(duration);
            hook = pauseHook;
        }
        if (hook)
            hook(duration);
        if (stop.stop_requested())
            throw CancelledError();
    }

    mutable std::mutex mutex;
    QHash<QString, QList<Answer>> answers;
    std::function<std::optional<Answer>(const HttpRequest &)> handler;
    std::function<void(std::chrono::milliseconds)> pauseHook;
    QList<HttpRequest> requests;
    QList<std::chrono::milliseconds> pauses;
};

ScriptedTransport::ScriptedTransport() : m_impl(std::make_shared<Impl>())
{
    m_previous = HTTP::setTransport(m_impl);
}

ScriptedTransport::~ScriptedTransport()
{
    HTTP::setTransport(m_previous);
}

void ScriptedTransport::answer(const QUrl &url, Answer answer)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->answers[key(url)].append(std::move(answer));
}

void ScriptedTransport::answer(const QString &url, int status, const QByteArray &body)
{
    Answer scripted;
    scripted.status = status;
    scripted.body = body;
    answer(QUrl(url), std::move(scripted));
}

void ScriptedTransport::setHandler(std::function<std::optional<Answer>(const HttpRequest &)> handler)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->handler = std::move(handler);
}

void ScriptedTransport::setPauseHook(std::function<void(std::chrono::milliseconds)> hook)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->pauseHook = std::move(hook);
}

QList<HttpRequest> ScriptedTransport::requests() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

QStringList ScriptedTransport::requestedURLs() const
{
    QStringList urls;
    for (const auto &request : requests())
        urls.append(key(request.url));
    return urls;
}

QList<std::chrono::milliseconds> ScriptedTransport::pauses() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->pauses;
}

void ScriptedTransport::clear()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->answers.clear();
    m_impl->handler = nullptr;
    m_impl->pauseHook = nullptr;
    m_impl->requests.clear();
    m_impl->pauses.clear();
}

struct VirtualLimiterTime::State
{
    mutable std::mutex mutex;
    RateLimiter::Clock::time_point now = RateLimiter::Clock::time_point() + std::chrono::hours(1);
    QList<std::chrono::nanoseconds> sleeps[3];
};

namespace {

RateLimiter &sharedLimiter(int index)
{
    switch (index) {
    case 0:
        return RateLimiters::discogsAuthenticated();
    case 1:
        return RateLimiters::discogsAnonymous();
    default:
        return RateLimiters::musicBrainz();
    }
}

} // namespace

VirtualLimiterTime::VirtualLimiterTime() : m_state(std::make_shared<State>())
{
    for (int index = 0; index < 3; ++index) {
        std::weak_ptr<State> weak = m_state;
        sharedLimiter(index).setClockForTesting(
            [weak] {
                const auto state = weak.lock();
                if (!state)
                    return RateLimiter::Clock::now();
                std::lock_guard lock(state->mutex);
                return state->now;
            },
            [weak, index](RateLimiter::Clock::duration duration, std::stop_token) {
                const auto state = weak.lock();
                if (!state)
                    return;
                std::lock_guard lock(state->mutex);
                state->sleeps[index].append(duration);
                // The sleeper wakes when its slot has come.
                state->now += duration;
            });
    }
}

VirtualLimiterTime::~VirtualLimiterTime()
{
    for (int index = 0; index < 3; ++index)
        sharedLimiter(index).setClockForTesting({}, {});
}

QList<std::chrono::nanoseconds> VirtualLimiterTime::discogsAuthenticatedSleeps() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->sleeps[0];
}

QList<std::chrono::nanoseconds> VirtualLimiterTime::discogsAnonymousSleeps() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->sleeps[1];
}

QList<std::chrono::nanoseconds> VirtualLimiterTime::musicBrainzSleeps() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->sleeps[2];
}

void VirtualLimiterTime::advance(std::chrono::nanoseconds duration)
{
    std::lock_guard lock(m_state->mutex);
    m_state->now += std::chrono::duration_cast<RateLimiter::Clock::duration>(duration);
}

} // namespace vorla::test
