#pragma once

// GLib names a struct member `signals`, which Qt defines as a macro.
#pragma push_macro("signals")
#undef signals
// For the item-path functions (libsecret's secret-paths.h), which read an
// item's secret without making an object of the item first.
#define SECRET_API_SUBJECT_TO_CHANGE
#include <libsecret/secret.h>
#pragma pop_macro("signals")

namespace tovra {

#define TOVRA_LIBSECRET_FUNCTIONS(F)                                                                         \
    F(secret_collection_for_alias_sync)                                                                      \
    F(secret_collection_get_locked)                                                                          \
    F(secret_error_get_quark)                                                                                \
    F(secret_item_create_sync)                                                                               \
    F(secret_item_get_created)                                                                               \
    F(secret_item_get_locked)                                                                                \
    F(secret_item_get_secret)                                                                                \
    F(secret_item_load_secret_sync)                                                                          \
    F(secret_service_get_secret_for_dbus_path_sync)                                                          \
    F(secret_service_get_sync)                                                                               \
    F(secret_service_search_for_dbus_paths_sync)                                                             \
    F(secret_service_search_sync)                                                                            \
    F(secret_value_get)                                                                                      \
    F(secret_value_new)                                                                                      \
    F(secret_value_unref)                                                                                    \
    F(g_cancellable_cancel)                                                                                  \
    F(g_cancellable_is_cancelled)                                                                            \
    F(g_cancellable_new)                                                                                     \
    F(g_clear_error)                                                                                         \
    F(g_dbus_proxy_get_object_path)                                                                          \
    F(g_error_matches)                                                                                       \
    F(g_hash_table_insert)                                                                                   \
    F(g_hash_table_new)                                                                                      \
    F(g_hash_table_unref)                                                                                    \
    F(g_list_free_full)                                                                                      \
    F(g_object_unref)                                                                                        \
    F(g_str_equal)                                                                                           \
    F(g_str_hash)                                                                                            \
    F(g_strfreev)

// The functions of libsecret, and of the GLib libraries under it, that the
// keyring provider calls, each a member of the C function's name. The
// library is loaded the first time the keyring is asked for the key, not at
// start: the browser starts the native host for every message, and a host
// that never asks the keyring (its key given by the environment in tests)
// spends nothing on libsecret and GLib.
struct LibSecret {
#define TOVRA_LIBSECRET_MEMBER(name) decltype(&::name) name = nullptr;
    TOVRA_LIBSECRET_FUNCTIONS(TOVRA_LIBSECRET_MEMBER)
#undef TOVRA_LIBSECRET_MEMBER

    // Loads libsecret once per process; throws TovraCryptoError
    // (keyStoreUnavailable) when it cannot be loaded.
    static const LibSecret &get();
};

} // namespace tovra
