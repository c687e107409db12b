// The user's keyring through the Secret Service (libsecret). Every call runs on one dedicated
// keyring thread and its caller waits a few seconds at most: an unlock prompt that nobody
// answers must not hang the application.
#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace vorla::Keychain {

// Statuses of save() besides 0 (success) and the Secret Service's own error codes.
inline constexpr int kTimedOut = -1;
inline constexpr int kKeyringLocked = -2;
inline constexpr int kFailed = -3;

// The stored text of the item with that service and account; none when there is no such
// item, the keyring is locked or unavailable, the call timed out or the data is not UTF-8.
std::optional<QString> read(const QString &service, const QString &account);

// Stores `value` as the item's data, replacing an existing item in place, so a failed save
// keeps the old value. An empty value deletes the item. Returns 0 on success. Never prompts:
// a locked keyring is a failure.
int save(const QString &value, const QString &service, const QString &account);

// Runs `job` on the keyring thread after the calls before it. Returns false when it has not
// finished within `timeout`; it is then abandoned, never cancelled, and runs on later.
bool runOnKeyringThread(std::function<void()> job, std::chrono::milliseconds timeout);

// How long read() and save() wait (about 3 s unless a test shortens it).
void setTimeoutForTesting(std::chrono::milliseconds timeout);

} // namespace vorla::Keychain
