#include "core/crypto/SecretServiceTovraKeyProvider.h"

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/LibSecret.h"
#include "core/crypto/MasterKeyHex.h"
#include "core/crypto/TovraCryptoError.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <tuple>
#include <vector>

namespace tovra {

namespace {

using Kind = TovraCryptoError::Kind;

// Loaded by the first call, made before any keyring object exists, so that
// the deleters below always find it.
const LibSecret &libSecret()
{
    return LibSecret::get();
}

struct ObjectUnref {
    void operator()(gpointer object) const { libSecret().g_object_unref(object); }
};
template <typename T> using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct HashTableUnref {
    void operator()(GHashTable *table) const { libSecret().g_hash_table_unref(table); }
};
struct ValueUnref {
    void operator()(SecretValue *value) const { libSecret().secret_value_unref(value); }
};
using ValuePtr = std::unique_ptr<SecretValue, ValueUnref>;

// Owns the GError filled in by a libsecret call.
class ErrorSlot {
public:
    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot &) = delete;
    ErrorSlot &operator=(const ErrorSlot &) = delete;
    ~ErrorSlot() { libSecret().g_clear_error(&m_error); }

    GError **out()
    {
        libSecret().g_clear_error(&m_error);
        return &m_error;
    }
    const GError *get() const { return m_error; }

private:
    GError *m_error = nullptr;
};

// Cancels every libsecret call of one masterKey() once the timeout has passed.
class CallDeadline {
public:
    explicit CallDeadline(std::chrono::milliseconds timeout)
        : m_cancellable(libSecret().g_cancellable_new())
        , m_watchdog([cancellable = m_cancellable.get(), timeout](std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any wakeUp;
            std::unique_lock lock(mutex);
            wakeUp.wait_for(lock, stop, timeout, [] { return false; });
            if (!stop.stop_requested())
                libSecret().g_cancellable_cancel(cancellable);
        })
        , m_timeout(timeout)
    {
    }

    GCancellable *cancellable() const { return m_cancellable.get(); }
    bool expired() const { return libSecret().g_cancellable_is_cancelled(m_cancellable.get()); }
    std::chrono::milliseconds timeout() const { return m_timeout; }

private:
    // Declared before the watchdog, which uses it until it is joined.
    ObjectPtr<GCancellable> m_cancellable;
    std::jthread m_watchdog;
    std::chrono::milliseconds m_timeout;
};

const SecretSchema *masterKeySchema()
{
    static const SecretSchema schema = [] {
        SecretSchema result {};
        result.name = SecretServiceTovraKeyProvider::kSchemaName;
        result.flags = SECRET_SCHEMA_NONE;
        result.attributes[0].name = SecretServiceTovraKeyProvider::kAccountAttribute;
        result.attributes[0].type = SECRET_SCHEMA_ATTRIBUTE_STRING;
        return result;
    }();
    return &schema;
}

[[noreturn]] void failFrom(const ErrorSlot &error, const CallDeadline &deadline)
{
    if (error.get()
        && libSecret().g_error_matches(
            error.get(), libSecret().secret_error_get_quark(), SECRET_ERROR_IS_LOCKED))
        throw TovraCryptoError(Kind::keyStoreLocked);
    if (deadline.expired()) {
        const auto seconds = std::chrono::duration<double>(deadline.timeout()).count();
        throw TovraCryptoError(
            Kind::keyStoreUnavailable, QStringLiteral("it did not answer within %1 s.").arg(seconds));
    }
    throw TovraCryptoError(Kind::keyStoreUnavailable,
        error.get() ? QString::fromUtf8(error.get()->message)
                    : QStringLiteral("the request failed without a reason."));
}

class ItemList {
public:
    explicit ItemList(GList *list)
        : m_list(list)
    {
    }
    ItemList(const ItemList &) = delete;
    ItemList &operator=(const ItemList &) = delete;
    ~ItemList() { libSecret().g_list_free_full(m_list, libSecret().g_object_unref); }

    std::vector<SecretItem *> items() const
    {
        std::vector<SecretItem *> result;
        for (GList *node = m_list; node; node = node->next)
            result.push_back(static_cast<SecretItem *>(node->data));
        return result;
    }

private:
    GList *m_list;
};

QString objectPath(SecretItem *item)
{
    return QString::fromUtf8(libSecret().g_dbus_proxy_get_object_path(&item->parent_instance));
}

// The same choice in every process that sees the same items.
SecretItem *oldestItem(const std::vector<SecretItem *> &items)
{
    const auto order = [](SecretItem *item) {
        const QString path = objectPath(item);
        return std::make_tuple(libSecret().secret_item_get_created(item), path.size(), path);
    };
    return *std::min_element(
        items.begin(), items.end(), [&order](SecretItem *a, SecretItem *b) { return order(a) < order(b); });
}

// The object paths of a search's items, freed with the list.
class PathList {
public:
    PathList() = default;
    PathList(const PathList &) = delete;
    PathList &operator=(const PathList &) = delete;
    ~PathList() { libSecret().g_strfreev(m_paths); }

    gchar ***out() { return &m_paths; }
    std::size_t size() const
    {
        std::size_t count = 0;
        while (m_paths && m_paths[count])
            ++count;
        return count;
    }
    const gchar *first() const { return m_paths[0]; }

private:
    gchar **m_paths = nullptr;
};

// The key an item's secret holds.
QByteArray keyOf(const ValuePtr &value)
{
    if (!value)
        throw TovraCryptoError(
            Kind::keyStoreUnavailable, QStringLiteral("the master key item has no readable secret."));
    gsize length = 0;
    const gchar *text = libSecret().secret_value_get(value.get(), &length);
    if (auto key = decodeMasterKeyHex(QByteArrayView(text, qsizetype(length))))
        return *key;
    throw TovraCryptoError(Kind::malformedMasterKey, QStringLiteral("the keyring"));
}

class MasterKeyItemStore {
public:
    MasterKeyItemStore(const QString &account, std::chrono::milliseconds timeout)
        : m_account(account.toUtf8())
        , m_deadline(timeout)
        , m_attributes(libSecret().g_hash_table_new(libSecret().g_str_hash, libSecret().g_str_equal))
    {
        libSecret().g_hash_table_insert(m_attributes.get(),
            const_cast<char *>(SecretServiceTovraKeyProvider::kAccountAttribute), m_account.data());
    }

    QByteArray masterKey()
    {
        connect();
        if (std::optional<QByteArray> key = onlyItemKey())
            return *key;
        {
            const ItemList existing = search();
            if (!existing.items().empty())
                return keyFrom(oldestItem(existing.items()));
        }
        createItem();
        // Another process may have stored its own key at the same moment. Every process settles
        // on the oldest item; the newer ones stay, since deleting an item while another process
        // is reading the search results would make that process fail.
        const ItemList stored = search();
        if (stored.items().empty())
            throw TovraCryptoError(Kind::keyStoreUnavailable,
                QStringLiteral("the new master key could not be found after it was stored."));
        SecretItem *chosen = oldestItem(stored.items());
        return keyFrom(chosen);
    }

private:
    void connect()
    {
        ErrorSlot error;
        m_service.reset(libSecret().secret_service_get_sync(
            SECRET_SERVICE_OPEN_SESSION, m_deadline.cancellable(), error.out()));
        if (!m_service)
            failFrom(error, m_deadline);
    }

    // The key of the one item, as the keyring holds it after the first
    // start, read by the item's path: making an object of the item first
    // would cost a round trip to the keyring of its own. None when there is
    // no item or several.
    std::optional<QByteArray> onlyItemKey()
    {
        ErrorSlot error;
        PathList unlocked;
        PathList locked;
        if (!libSecret().secret_service_search_for_dbus_paths_sync(m_service.get(), masterKeySchema(),
                m_attributes.get(), m_deadline.cancellable(), unlocked.out(), locked.out(), error.out()))
            failFrom(error, m_deadline);
        if (unlocked.size() + locked.size() != 1)
            return std::nullopt;
        if (locked.size() == 1)
            throw TovraCryptoError(Kind::keyStoreLocked);
        ValuePtr value(libSecret().secret_service_get_secret_for_dbus_path_sync(
            m_service.get(), unlocked.first(), m_deadline.cancellable(), error.out()));
        if (!value && error.get())
            failFrom(error, m_deadline);
        return keyOf(value);
    }

    // Every matching item, locked ones included; asking to unlock would prompt.
    ItemList search()
    {
        ErrorSlot error;
        const auto flags = SecretSearchFlags(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS);
        GList *found = libSecret().secret_service_search_sync(m_service.get(), masterKeySchema(),
            m_attributes.get(), flags, m_deadline.cancellable(), error.out());
        if (error.get()) {
            libSecret().g_list_free_full(found, libSecret().g_object_unref);
            failFrom(error, m_deadline);
        }
        return ItemList(found);
    }

    void createItem()
    {
        ErrorSlot error;
        ObjectPtr<SecretCollection> collection(libSecret().secret_collection_for_alias_sync(m_service.get(),
            SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, m_deadline.cancellable(), error.out()));
        if (!collection) {
            if (error.get())
                failFrom(error, m_deadline);
            throw TovraCryptoError(Kind::keyStoreUnavailable,
                QStringLiteral("there is no default keyring to keep the master key in."));
        }
        if (libSecret().secret_collection_get_locked(collection.get()))
            throw TovraCryptoError(Kind::keyStoreLocked);

        QByteArray key = CryptoPrimitives::randomBytes(kMasterKeyLength);
        QByteArray hex = encodeMasterKeyHex(key);
        CryptoPrimitives::wipe(key);
        ValuePtr value(libSecret().secret_value_new(hex.constData(), hex.size(), "text/plain"));
        CryptoPrimitives::wipe(hex);

        ObjectPtr<SecretItem> item(libSecret().secret_item_create_sync(collection.get(), masterKeySchema(),
            m_attributes.get(), SecretServiceTovraKeyProvider::kItemLabel, value.get(),
            SECRET_ITEM_CREATE_NONE, m_deadline.cancellable(), error.out()));
        if (!item)
            failFrom(error, m_deadline);
    }

    QByteArray keyFrom(SecretItem *item)
    {
        if (libSecret().secret_item_get_locked(item))
            throw TovraCryptoError(Kind::keyStoreLocked);
        ValuePtr value(libSecret().secret_item_get_secret(item));
        if (!value) {
            ErrorSlot error;
            if (!libSecret().secret_item_load_secret_sync(item, m_deadline.cancellable(), error.out()))
                failFrom(error, m_deadline);
            value.reset(libSecret().secret_item_get_secret(item));
        }
        return keyOf(value);
    }

    QByteArray m_account;
    CallDeadline m_deadline;
    std::unique_ptr<GHashTable, HashTableUnref> m_attributes;
    ObjectPtr<SecretService> m_service;
};

} // namespace

SecretServiceTovraKeyProvider::SecretServiceTovraKeyProvider(
    QString account, std::chrono::milliseconds timeout)
    : m_account(std::move(account))
    , m_timeout(timeout)
{
}

QByteArray SecretServiceTovraKeyProvider::masterKey()
{
    MasterKeyItemStore store(m_account, m_timeout);
    return store.masterKey();
}

} // namespace tovra
