// libsecret before any Qt header: glib uses `signals` as an identifier, Qt defines it as a macro.
#include <libsecret/secret.h>

#include "services/keychain.h"

#include <QByteArray>
#include <QStringDecoder>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace vorla::Keychain {

namespace {

std::atomic<std::chrono::milliseconds::rep> timeoutMs = 3000;

// Lives for the whole process: a call stuck in the Secret Service is abandoned, and the thread
// is never joined at exit.
class KeyringThread
{
public:
    static KeyringThread &instance()
    {
        static KeyringThread *thread = new KeyringThread;
        return *thread;
    }

    void enqueue(std::function<void()> job)
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        m_wakeUp.notify_one();
    }

private:
    KeyringThread()
    {
        std::thread([this] { run(); }).detach();
    }

    [[noreturn]] void run()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(m_mutex);
                m_wakeUp.wait(lock, [this] { return !m_jobs.empty(); });
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    std::deque<std::function<void()>> m_jobs;
};

const SecretSchema *schema()
{
    static const SecretSchema schema = [] {
        SecretSchema value{};
        value.name = "com.vorla.app.Password";
        // Match the schema too, and never prompt.
        value.flags = SECRET_SCHEMA_NONE;
        value.attributes[0].name = "service";
        value.attributes[0].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        value.attributes[1].name = "account";
        value.attributes[1].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        return value;
    }();
    return &schema;
}

// The attribute table of one item; the strings it points to live as long as it does.
class Attributes
{
public:
    Attributes(const QString &service, const QString &account)
        : m_service(service.toUtf8())
        , m_account(account.toUtf8())
        , m_table(g_hash_table_new(g_str_hash, g_str_equal))
    {
        g_hash_table_insert(m_table, const_cast<char *>("service"), m_service.data());
        g_hash_table_insert(m_table, const_cast<char *>("account"), m_account.data());
    }
    ~Attributes() { g_hash_table_unref(m_table); }
    Attributes(const Attributes &) = delete;
    Attributes &operator=(const Attributes &) = delete;
    GHashTable *table() const { return m_table; }

private:
    QByteArray m_service;
    QByteArray m_account;
    GHashTable *m_table;
};

int statusOf(GError *error)
{
    const int status = error->code != 0 ? error->code : kFailed;
    g_error_free(error);
    return status;
}

std::optional<QString> lookup(const QString &service, const QString &account)
{
    const Attributes attributes(service, account);
    GError *error = nullptr;
    gchar *password = secret_password_lookupv_sync(schema(), attributes.table(), nullptr, &error);
    if (error) {
        g_error_free(error);
        return std::nullopt;
    }
    if (!password)
        return std::nullopt;
    const QByteArray bytes(password);
    secret_password_free(password);
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Storing into a locked or missing default collection would raise an unlock prompt.
int checkDefaultCollectionUnlocked()
{
    GError *error = nullptr;
    SecretService *secretService = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
    if (!secretService)
        return error ? statusOf(error) : kFailed;
    SecretCollection *collection = secret_collection_for_alias_sync(
        secretService, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &error);
    g_object_unref(secretService);
    if (!collection)
        return error ? statusOf(error) : kKeyringLocked;
    const bool locked = secret_collection_get_locked(collection);
    g_object_unref(collection);
    return locked ? kKeyringLocked : 0;
}

int store(const QString &value, const QString &service, const QString &account)
{
    const Attributes attributes(service, account);
    GError *error = nullptr;
    if (value.isEmpty()) {
        // Nothing to delete is success; a delete that failed is not.
        secret_password_clearv_sync(schema(), attributes.table(), nullptr, &error);
        return error ? statusOf(error) : 0;
    }
    if (const int status = checkDefaultCollectionUnlocked(); status != 0)
        return status;
    const QByteArray label = QStringLiteral("%1 (%2)").arg(service, account).toUtf8();
    const QByteArray password = value.toUtf8();
    // Same attributes: the Secret Service replaces the item in place.
    const gboolean stored = secret_password_storev_sync(schema(), attributes.table(),
                                                        SECRET_COLLECTION_DEFAULT, label.constData(),
                                                        password.constData(), nullptr, &error);
    if (error)
        return statusOf(error);
    return stored ? 0 : kFailed;
}

std::chrono::milliseconds timeout()
{
    return std::chrono::milliseconds(timeoutMs.load());
}

} // namespace

bool runOnKeyringThread(std::function<void()> job, std::chrono::milliseconds timeout)
{
    struct Completion
    {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
    };
    auto completion = std::make_shared<Completion>();
    KeyringThread::instance().enqueue([job = std::move(job), completion] {
        job();
        std::lock_guard lock(completion->mutex);
        completion->done = true;
        completion->finished.notify_all();
    });
    std::unique_lock lock(completion->mutex);
    return completion->finished.wait_for(lock, timeout, [&] { return completion->done; });
}

std::optional<QString> read(const QString &service, const QString &account)
{
    auto result = std::make_shared<std::optional<QString>>();
    const bool finished = runOnKeyringThread(
        [result, service, account] { *result = lookup(service, account); }, timeout());
    return finished ? *result : std::nullopt;
}

int save(const QString &value, const QString &service, const QString &account)
{
    auto status = std::make_shared<int>(kTimedOut);
    const bool finished = runOnKeyringThread(
        [status, value, service, account] { *status = store(value, service, account); }, timeout());
    return finished ? *status : kTimedOut;
}

void setTimeoutForTesting(std::chrono::milliseconds timeout)
{
    timeoutMs = timeout.count();
}

} // namespace vorla::Keychain
