#pragma once

#include <cstdio>
#include <cstdlib>

namespace tovra::fuzz {

// A property every input must keep. A broken one aborts: libFuzzer keeps the
// input as a finding, and the corpus replay fails.
inline void require(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "Property broken: %s\n", property);
        std::abort();
    }
}

} // namespace tovra::fuzz
