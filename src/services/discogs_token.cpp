#include "services/discogs_token.h"

#include "services/keychain.h"
#include "core/text_util.h"

#include <QtGlobal>

#include <algorithm>
#include <mutex>

namespace vorla::DiscogsToken {

namespace {

class KeyringStore : public Store
{
public:
    std::optional<QString> read() override
    {
        return Keychain::read(QString::fromLatin1(kService), QString::fromLatin1(kAccount));
    }
    int save(const QString &value) override
    {
        return Keychain::save(value, QString::fromLatin1(kService), QString::fromLatin1(kAccount));
    }
};

std::mutex lock;
// Outer optional: loaded yet; inner: a token.
std::optional<std::optional<QString>> cached;
std::shared_ptr<Store> store = std::make_shared<KeyringStore>();

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.category() == QChar::Other_Control; });
}

// A usable token from a stored or configured text, or none.
std::optional<QString> usable(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    const QString token = TextUtil::trimmedSpacesAndTabs(*text);
    if (token.isEmpty() || hasControlCharacter(token))
        return std::nullopt;
    return token;
}

} // namespace

Store::~Store() = default;

std::optional<QString> value()
{
    std::lock_guard guard(lock);
    if (cached)
        return *cached;
    std::optional<QString> token;
    if (qEnvironmentVariableIsSet("VORLA_DISCOGS_TOKEN"))
        token = usable(qEnvironmentVariable("VORLA_DISCOGS_TOKEN"));
    // Held under the lock, so two first readers do not both ask the keyring.
    if (!token)
        token = usable(store->read());
    cached = token;
    return token;
}

bool set(const QString &token)
{
    const QString trimmed = TextUtil::trimmedWhitespaceAndNewlines(token);
    if (hasControlCharacter(trimmed))
        return false;
    std::shared_ptr<Store> target;
    {
        std::lock_guard guard(lock);
        target = store;
    }
    const int status = target->save(trimmed);
    if (status != 0)
        return false;
    std::lock_guard guard(lock);
    cached = usable(trimmed);
    return true;
}

void setStoreForTesting(std::shared_ptr<Store> replacement)
{
    std::lock_guard guard(lock);
    store = replacement ? std::move(replacement) : std::make_shared<KeyringStore>();
    cached.reset();
}

} // namespace vorla::DiscogsToken
