// The one place that knows where the user's Discogs token lives: the VORLA_DISCOGS_TOKEN
// environment variable first, else the keyring. It is read once per process and cached.
#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace vorla::DiscogsToken {

inline constexpr char kService[] = "com.vorla.app";
inline constexpr char kAccount[] = "discogs-token";

// The token in use, or none. A token with a control character counts as none: it would
// end up inside a request header.
std::optional<QString> value();

// Stores the token (trimmed) in the keyring, or deletes it when blank, and makes it the
// token in use for the rest of the process. Returns whether the keyring accepted it; when
// it refused, the token in use stays as it was, so what is used is what the next run reads.
// A token with a control character is refused the same way.
bool set(const QString &token);

// Where the token is kept: the keyring item unless a test puts another store in place.
class Store
{
public:
    virtual ~Store();
    virtual std::optional<QString> read() = 0;
    // 0 on success; an empty value deletes.
    virtual int save(const QString &value) = 0;
};

// Replaces the store (null: the keyring item) and forgets the cached token.
void setStoreForTesting(std::shared_ptr<Store> store);

} // namespace vorla::DiscogsToken
