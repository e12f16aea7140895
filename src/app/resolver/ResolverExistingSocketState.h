#pragma once

namespace tovra {

// Verdict on a file found where the resolver socket is to live: a live server
// answers there (active), nothing answers or nothing is there (stale), or the
// file must not be touched at all (unsafe).
enum class ResolverExistingSocketState {
    active,
    stale,
    unsafe,
};

} // namespace tovra
