// A metadata lookup for the inspector tests that answers only when the test opens its gate,
// so a test can act while a refresh is in flight, and that notices being cancelled.
#pragma once

#include "app/metadata_refresher.h"
#include "models/error.h"

#include <QThread>

#include <atomic>
#include <exception>
#include <memory>
#include <mutex>

namespace vorla::test {

struct GatedLookup
{
    struct State
    {
        std::mutex lock;
        std::optional<RecordDraft> answer;
        std::exception_ptr failure;
        std::atomic<bool> open { false };
        std::atomic<int> calls { 0 };
        std::atomic<bool> cancelled { false };
        std::optional<qint64> discogsID;
        QString barcode;
    };
    std::shared_ptr<State> state = std::make_shared<State>();

    MetadataRefresher::LookupFactory factory() const
    {
        return [state = state] {
            return [state](std::optional<qint64> discogsID, std::optional<QString>,
                       QString barcode, std::stop_token stop) -> std::optional<RecordDraft> {
                ++state->calls;
                {
                    std::lock_guard guard(state->lock);
                    state->discogsID = discogsID;
                    state->barcode = barcode;
                }
                while (!state->open && !stop.stop_requested())
                    QThread::msleep(1);
                if (stop.stop_requested()) {
                    state->cancelled = true;
                    throw CancelledError();
                }
                std::lock_guard guard(state->lock);
                if (state->failure)
                    std::rethrow_exception(state->failure);
                return state->answer;
            };
        };
    }
    void answer(std::optional<RecordDraft> draft)
    {
        std::lock_guard guard(state->lock);
        state->answer = std::move(draft);
    }
    template <typename E> void fail(E error)
    {
        std::lock_guard guard(state->lock);
        state->failure = std::make_exception_ptr(std::move(error));
    }
    void open() { state->open = true; }
};

} // namespace vorla::test
