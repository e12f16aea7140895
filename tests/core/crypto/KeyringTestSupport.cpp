#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")

#include "KeyringTestSupport.h"

#include <QUuid>

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace tovra::cryptotest {

namespace {

// Spelled out rather than taken from the provider, so that renaming the
// schema or the attribute there (which would orphan every stored key) fails here.
const SecretSchema schema = [] {
    SecretSchema value {};
    value.name = "app.tovra.MasterKey";
    value.attributes[0] = { "account", SECRET_SCHEMA_ATTRIBUTE_STRING };
    return value;
}();

void check(bool ok, const char *what, GError *error)
{
    if (!ok || error) {
        const std::string message = std::string(what) + ": " + (error ? error->message : "no result");
        g_clear_error(&error);
        throw std::runtime_error(message);
    }
}

SecretService *service()
{
    GError *error = nullptr;
    SecretService *result = secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error);
    check(result, "secret service", error);
    return result;
}

GHashTable *attributesFor(const QByteArray &account)
{
    GHashTable *attributes = g_hash_table_new(g_str_hash, g_str_equal);
    g_hash_table_insert(attributes, const_cast<char *>("account"), const_cast<char *>(account.constData()));
    return attributes;
}

} // namespace

QString uniqueAccount(const char *purpose)
{
    return QStringLiteral("test-%1-%2")
        .arg(QString::fromLatin1(purpose), QUuid::createUuid().toString(QUuid::Id128));
}

void plantItem(const QString &account, const QByteArray &secret)
{
    g_autoptr(SecretService) secrets = service();
    GError *error = nullptr;
    g_autoptr(SecretCollection) collection = secret_collection_for_alias_sync(
        secrets, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &error);
    check(collection, "default collection", error);
    const QByteArray accountUtf8 = account.toUtf8();
    g_autoptr(GHashTable) attributes = attributesFor(accountUtf8);
    SecretValue *value = secret_value_new(secret.constData(), secret.size(), "text/plain");
    g_autoptr(SecretItem) item = secret_item_create_sync(collection, &schema, attributes, "planted by a test",
        value, SECRET_ITEM_CREATE_NONE, nullptr, &error);
    secret_value_unref(value);
    check(item, "create item", error);
}

QList<QByteArray> storedSecrets(const QString &account)
{
    g_autoptr(SecretService) secrets = service();
    const QByteArray accountUtf8 = account.toUtf8();
    g_autoptr(GHashTable) attributes = attributesFor(accountUtf8);
    GError *error = nullptr;
    GList *found = secret_service_search_sync(secrets, &schema, attributes,
        SecretSearchFlags(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr, &error);
    check(true, "search", error);

    // Creation times have whole seconds; item paths end in an increasing number.
    std::vector<std::tuple<guint64, qsizetype, QByteArray, QByteArray>> items;
    for (GList *node = found; node; node = node->next) {
        auto *item = static_cast<SecretItem *>(node->data);
        const QByteArray path(g_dbus_proxy_get_object_path(G_DBUS_PROXY(item)));
        QByteArray secret;
        if (SecretValue *value = secret_item_get_secret(item)) {
            gsize length = 0;
            const gchar *data = secret_value_get(value, &length);
            secret = QByteArray(data, qsizetype(length));
            secret_value_unref(value);
        }
        items.emplace_back(secret_item_get_created(item), path.size(), path, secret);
    }
    g_list_free_full(found, g_object_unref);
    std::sort(items.begin(), items.end());
    QList<QByteArray> result;
    for (const auto &item : items)
        result.append(std::get<3>(item));
    return result;
}

} // namespace tovra::cryptotest
