#include "support/scripted_sources.h"

#include "models/error.h"

#include <QTest>

namespace vorla::test {

ScriptedSources::ScriptedSources()
    : m_state(std::make_shared<State>())
{ }

void ScriptedSources::answer(const QString &request, Answer answer)
{
    std::lock_guard lock(m_state->mutex);
    m_state->answers[request] = std::move(answer);
}

QString ScriptedSources::searchName(const ReleaseQuery &query)
{
    return query.catalogNumber.isEmpty() ? QStringLiteral("q:") + query.freeText()
                                         : QStringLiteral("catno:") + query.catalogNumber;
}

ScriptedSources::Answer ScriptedSources::respond(
    State &state, const QString &request, std::stop_token stop)
{
    std::unique_lock lock(state.mutex);
    state.requests.append(request);
    const auto found = state.answers.find(request);
    Answer answer = found == state.answers.end() ? Answer() : found->second;
    if (answer.gated) {
        ++state.waiting;
        state.changed.notify_all();
        state.changed.wait(lock, stop, [&] { return state.released > 0; });
        --state.waiting;
        if (stop.stop_requested())
            throw CancelledError();
        --state.released;
    }
    if (answer.failure)
        throw NetworkError(*answer.failure);
    return answer;
}

PhotoMatcher::Sources ScriptedSources::sources() const
{
    PhotoMatcher::Sources sources;
    sources.lookupBarcode = [state = m_state](const QString &barcode, std::stop_token stop) {
        return respond(*state, QStringLiteral("barcode:") + barcode, stop).candidates;
    };
    sources.search = [state = m_state](const ReleaseQuery &query, std::stop_token stop) {
        return respond(*state, searchName(query), stop).candidates;
    };
    sources.tracklist = [state = m_state](const ReleaseCandidate &c, std::stop_token stop) {
        return respond(*state, QStringLiteral("tracks:") + c.id(), stop).tracks;
    };
    return sources;
}

QStringList ScriptedSources::requests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->requests;
}

void ScriptedSources::release()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->released;
    m_state->changed.notify_all();
}

bool ScriptedSources::waitUntilWaiting(int count, int timeoutMs) const
{
    return QTest::qWaitFor(
        [this, count] {
            std::lock_guard lock(m_state->mutex);
            return m_state->requests.size() >= count && m_state->waiting > 0;
        },
        timeoutMs);
}

ReleaseCandidate candidate(const QString &sourceID, const QString &artist, const QString &title,
    const QString &catalogNumber, const QString &barcode)
{
    ReleaseCandidate c;
    c.sourceID = sourceID;
    c.artist = artist;
    c.title = title;
    c.catalogNumber = catalogNumber;
    c.barcode = barcode;
    c.format = QStringLiteral("Vinyl, LP");
    return c;
}

} // namespace vorla::test
