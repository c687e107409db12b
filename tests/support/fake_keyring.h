// The keyring item in memory, for tests of what reads and stores the Discogs token; a
// refused save keeps what was stored, as the keyring does.
#pragma once

#include "services/discogs_token.h"

#include <QStringList>

#include <atomic>
#include <mutex>

namespace vorla::test {

class FakeKeyring : public DiscogsToken::Store
{
public:
    std::optional<QString> read() override
    {
        ++reads;
        std::lock_guard lock(mutex);
        return item;
    }
    int save(const QString &value) override
    {
        std::lock_guard lock(mutex);
        saved.append(value);
        if (status == 0)
            item = value.isEmpty() ? std::nullopt : std::optional(value);
        return status;
    }
    QStringList savedValues()
    {
        std::lock_guard lock(mutex);
        return saved;
    }

    std::mutex mutex;
    std::optional<QString> item;
    int status = 0;
    std::atomic<int> reads = 0;
    QStringList saved;
};

} // namespace vorla::test
