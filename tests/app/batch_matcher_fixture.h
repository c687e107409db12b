// The batch matcher with scripted photo analysis and lookups, and a temporary library store
// that a second connection can check.
#pragma once

#include "app/batch_matcher.h"
#include "app/metadata_refresher.h"
#include "models/error.h"
#include "models/model_context.h"
#include "models/record.h"
#include "support/scripted_sources.h"

#include <QTemporaryDir>
#include <QTest>

#include <SQLiteCpp/Database.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>

namespace vorla::test {

// Photo analysis by file name: evidence, a failure, or a wait until released.
class ScriptedAnalyzer
{
public:
    struct Answer
    {
        QList<PhotoEvidence> evidence;
        std::optional<QString> failure;
        bool gated = false;
    };

    void answer(const QString &fileName, Answer answer)
    {
        std::lock_guard lock(m_state->mutex);
        m_state->answers[fileName] = std::move(answer);
    }

    std::function<QList<PhotoEvidence>(const QUrl &, PhotoLayout, std::stop_token)> analyze() const
    {
        return [state = m_state](const QUrl &url, PhotoLayout layout, std::stop_token stop) {
            std::unique_lock lock(state->mutex);
            state->analysed.append(url.fileName());
            state->layouts.append(layout);
            const auto found = state->answers.find(url.fileName());
            const Answer answer = found == state->answers.end() ? Answer() : found->second;
            if (answer.gated) {
                ++state->waiting;
                state->changed.wait(lock, stop, [&] { return state->released > 0; });
                --state->waiting;
                if (stop.stop_requested())
                    throw CancelledError();
                --state->released;
            }
            if (answer.failure)
                throw Error(*answer.failure);
            return answer.evidence;
        };
    }

    QStringList analysed() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->analysed;
    }
    QList<PhotoLayout> layouts() const
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->layouts;
    }
    void release()
    {
        std::lock_guard lock(m_state->mutex);
        ++m_state->released;
        m_state->changed.notify_all();
    }
    bool waitUntilWaiting() const
    {
        return QTest::qWaitFor(
            [this] {
                std::lock_guard lock(m_state->mutex);
                return m_state->waiting > 0;
            },
            5000);
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable_any changed;
        std::map<QString, Answer> answers;
        QStringList analysed;
        QList<PhotoLayout> layouts;
        int waiting = 0;
        int released = 0;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

class BatchMatcherTest : public testing::Test
{
protected:
    BatchMatcher::Backend backend()
    {
        BatchMatcher::Backend backend;
        backend.analyze = analyzer.analyze();
        backend.lookups = [this] {
            ++workersStarted;
            return BatchMatcher::Lookups { typed.sources().search, photos.sources() };
        };
        return backend;
    }

    // Opens the temporary store and gives it, with the refresher, to the matcher.
    ModelContext &openStore()
    {
        context = std::make_unique<ModelContext>(storePath());
        matcher.setContext(context.get());
        matcher.setRefresher(&refresher);
        return *context;
    }
    QString storePath() const { return dir.filePath(storeFile); }
    // A second connection to the store file.
    SQLite::Database peer() const
    {
        return SQLite::Database(storePath().toStdString(), SQLite::OPEN_READWRITE);
    }
    int64_t storedCount() const
    {
        return peer().execAndGet("SELECT count(*) FROM records").getInt64();
    }
    // Makes the store refuse to insert records with that title.
    void refuseTitle(const char *title) const
    {
        peer().exec(std::string("CREATE TRIGGER refuse BEFORE INSERT ON records WHEN NEW.title = '")
            + title + "' BEGIN SELECT RAISE(ABORT, 'disk refused'); END");
    }

    bool waitUntilIdle()
    {
        return QTest::qWaitFor([this] { return !matcher.isRunning(); }, 5000);
    }
    const BatchItem &at(qsizetype index) const { return matcher.items().at(index); }

    static PhotoEvidence evidence(
        PhotoEvidence::Kind kind, const QStringList &lines, const QStringList &barcodes = {})
    {
        PhotoEvidence e;
        e.kind = kind;
        e.lines = lines;
        e.barcodes = barcodes;
        return e;
    }
    static QUrl photo(const char *name)
    {
        return QUrl::fromLocalFile(QStringLiteral("/photos/") + QString::fromUtf8(name));
    }

    QTemporaryDir dir;
    QString storeFile = QStringLiteral("Vorla.store");
    ScriptedAnalyzer analyzer;
    ScriptedSources typed; // the lookup facade's text search for typed lines
    ScriptedSources photos; // the photo matcher's lookups
    int workersStarted = 0;
    int refresherRuns = 0;
    MetadataRefresher refresher { [this] {
        ++refresherRuns;
        return [](std::optional<qint64>, std::optional<QString>, QString,
                   std::stop_token) -> std::optional<RecordDraft> { return std::nullopt; };
    } };
    std::unique_ptr<ModelContext> context;
    BatchMatcher matcher { backend() };
};

} // namespace vorla::test
