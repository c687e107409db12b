// A transport for tests: answers are scripted per URL, every request is recorded, and retry
// pauses are recorded instead of slept. While the object lives it is the transport of
// HTTP::data(); the previous one comes back when it is destroyed.
#pragma once

#include "services/http.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace vorla::test {

class ScriptedTransport
{
public:
    struct Answer
    {
        Answer(int status = 200, QByteArray body = {}) : status(status), body(std::move(body)) {}
        // The exchange fails with a NetworkError of this text instead of answering.
        static Answer failure(const QString &networkError)
        {
            Answer answer;
            answer.networkError = networkError;
            return answer;
        }
        Answer &withHeader(const QByteArray &name, const QByteArray &value)
        {
            headers.append({name, value});
            return *this;
        }
        Answer &withDelay(std::chrono::milliseconds duration)
        {
            delay = duration;
            return *this;
        }

        int status;
        QByteArray body;
        HttpHeaders headers;
        // Waited before answering; a stop request cuts it short with CancelledError.
        std::chrono::milliseconds delay{0};
        std::optional<QString> networkError;
    };

    ScriptedTransport();
    ~ScriptedTransport();
    ScriptedTransport(const ScriptedTransport &) = delete;
    ScriptedTransport &operator=(const ScriptedTransport &) = delete;

    // Queues an answer for an exact URL (query included). Answers for one URL are given in
    // order; the last one repeats.
    void answer(const QUrl &url, Answer answer);
    void answer(const QString &url, int status, const QByteArray &body = {});
    // Answers requests no queued answer matches; return none to fall through. A request that
    // nothing answers fails with a NetworkError naming its URL.
    void setHandler(std::function<std::optional<Answer>(const HttpRequest &)> handler);
    // Called at each retry pause (before it ends), e.g. to request a stop during it.
    void setPauseHook(std::function<void(std::chrono::milliseconds)> hook);

    // Every request sent, in order, with the headers as sent.
    QList<HttpRequest> requests() const;
    // The URLs of requests(), fully encoded.
    QStringList requestedURLs() const;
    // Every retry pause asked for, in order.
    QList<std::chrono::milliseconds> pauses() const;
    void clear();

private:
    class Impl;
    std::shared_ptr<Impl> m_impl;
    std::shared_ptr<HttpTransport> m_previous;
};

// Runs the three shared rate limiters in virtual time while it lives: a wait returns at once,
// is recorded per limiter and moves the virtual clock on by its length.
class VirtualLimiterTime
{
public:
    VirtualLimiterTime();
    ~VirtualLimiterTime();
    VirtualLimiterTime(const VirtualLimiterTime &) = delete;
    VirtualLimiterTime &operator=(const VirtualLimiterTime &) = delete;

    // Sleeps asked for by each limiter, in order (zero-length waits are not recorded).
    QList<std::chrono::nanoseconds> discogsAuthenticatedSleeps() const;
    QList<std::chrono::nanoseconds> discogsAnonymousSleeps() const;
    QList<std::chrono::nanoseconds> musicBrainzSleeps() const;
    // Advances the virtual clock shared by the three limiters.
    void advance(std::chrono::nanoseconds duration);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace vorla::test
