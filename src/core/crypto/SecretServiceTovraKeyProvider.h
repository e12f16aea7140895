#pragma once

#include "core/crypto/TovraKeyProviding.h"

#include <QString>

#include <chrono>

namespace tovra {

// The master key kept in the desktop keyring through the Secret Service
// (GNOME Keyring, KWallet). One item of schema kSchemaName with the attribute
// "account" holds the key as 64 lowercase hexadecimal digits; it is created
// with fresh random bytes the first time no item exists.
//
// The provider never prompts and never unlocks: a locked keyring is reported
// as keyStoreLocked. Every call is bounded by `timeout`: when the keyring
// service does not answer in time the pending D-Bus calls are cancelled and
// the call fails with keyStoreUnavailable instead of blocking its thread.
//
// An existing item that does not hold a valid key is an error and stays as it
// is: replacing it would lock the user out of the ledger sealed with the old
// key. When two processes create the item at the same moment, both settle on
// the oldest item (equal creation times ordered by object path); the newer
// duplicate stays unused in the keyring.
class SecretServiceTovraKeyProvider final : public TovraKeyProviding {
public:
    static constexpr char kSchemaName[] = "app.tovra.MasterKey";
    static constexpr char kAccountAttribute[] = "account";
    static constexpr char kDefaultAccount[] = "ledger-master-key";
    static constexpr char kItemLabel[] = "Tovra ledger master key";
    static constexpr std::chrono::milliseconds kDefaultTimeout { 10'000 };

    explicit SecretServiceTovraKeyProvider(QString account = QString::fromLatin1(kDefaultAccount),
        std::chrono::milliseconds timeout = kDefaultTimeout);

    QByteArray masterKey() override;

private:
    QString m_account;
    std::chrono::milliseconds m_timeout;
};

} // namespace tovra
