#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace tovra::cryptotest {

// Direct access to the session keyring, bypassing the provider under test, so
// that tests can plant items and inspect what the provider left behind.

// An account name no other test uses.
QString uniqueAccount(const char *purpose);

// Adds an item of the master-key schema for `account` holding `secret`, next
// to any existing one.
void plantItem(const QString &account, const QByteArray &secret);

// The secrets of every item for `account`, oldest first.
QList<QByteArray> storedSecrets(const QString &account);

} // namespace tovra::cryptotest
