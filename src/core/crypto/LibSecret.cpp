#include "core/crypto/LibSecret.h"

#include "core/crypto/TovraCryptoError.h"

#include <dlfcn.h>

namespace tovra {

namespace {

constexpr const char *libraryName = "libsecret-1.so.0";

LibSecret load()
{
    // Never unloaded: GLib's types stay registered for the life of the process.
    void *library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        throw TovraCryptoError(TovraCryptoError::Kind::keyStoreUnavailable,
            QStringLiteral("%1 could not be loaded: %2")
                .arg(QLatin1StringView(libraryName), QString::fromLocal8Bit(dlerror())));
    LibSecret functions;
    // Found in libsecret or in the GLib libraries it loads.
#define TOVRA_LIBSECRET_RESOLVE(name)                                                                        \
    functions.name = reinterpret_cast<decltype(functions.name)>(dlsym(library, #name));                      \
    if (functions.name == nullptr)                                                                           \
        throw TovraCryptoError(TovraCryptoError::Kind::keyStoreUnavailable,                                  \
            QStringLiteral("%1 has no function %2.")                                                         \
                .arg(QLatin1StringView(libraryName), QLatin1StringView(#name)));
    TOVRA_LIBSECRET_FUNCTIONS(TOVRA_LIBSECRET_RESOLVE)
#undef TOVRA_LIBSECRET_RESOLVE
    return functions;
}

} // namespace

const LibSecret &LibSecret::get()
{
    static const LibSecret functions = load();
    return functions;
}

} // namespace tovra
