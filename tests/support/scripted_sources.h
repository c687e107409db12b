// A scripted stand-in for photo matching's three lookups: answers, failures and waits are
// programmed per request, and every request is recorded. Safe to call from worker threads.
#pragma once

#include "scanner/photo_match_sources.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace vorla::test {

class ScriptedSources
{
public:
    struct Answer
    {
        QList<ReleaseCandidate> candidates;
        QList<Track> tracks;
        // Thrown as a NetworkError of this text instead of answering.
        std::optional<QString> failure;
        // Waits until release() (or a stop request, which throws CancelledError).
        bool gated = false;

        static Answer found(QList<ReleaseCandidate> candidates)
        {
            Answer answer;
            answer.candidates = std::move(candidates);
            return answer;
        }
        static Answer listing(QList<Track> tracks)
        {
            Answer answer;
            answer.tracks = std::move(tracks);
            return answer;
        }
        static Answer failing(const QString &message)
        {
            Answer answer;
            answer.failure = message;
            return answer;
        }
        Answer &waiting()
        {
            gated = true;
            return *this;
        }
    };

    ScriptedSources();

    // Requests are named "barcode:<code>", "catno:<number>" (a search with a catalog
    // number), "q:<free text>" (any other search) and "tracks:<candidate id>". A request
    // without an answer gets an empty list.
    void answer(const QString &request, Answer answer);
    static QString searchName(const ReleaseQuery &query);

    // Lookups that answer from this script; they share it, so later answers apply too.
    PhotoMatcher::Sources sources() const;

    // Every request received, in order.
    QStringList requests() const;
    // Lets one gated answer go ahead.
    void release();
    // Waits (processing events) until `count` requests were received and one is gated.
    bool waitUntilWaiting(int count, int timeoutMs = 5000) const;

private:
    struct State
    {
        mutable std::mutex mutex;
        std::condition_variable_any changed;
        std::map<QString, Answer> answers;
        QStringList requests;
        int waiting = 0;
        int released = 0;
    };
    static Answer respond(State &state, const QString &request, std::stop_token stop);

    std::shared_ptr<State> m_state;
};

// A Discogs candidate with the facts scoring reads.
ReleaseCandidate candidate(const QString &sourceID, const QString &artist, const QString &title,
    const QString &catalogNumber = {}, const QString &barcode = {});

} // namespace vorla::test
