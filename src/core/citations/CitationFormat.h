#pragma once

#include "core/records/EnumNames.h"

namespace tovra {

// How a pasted text carries its source. The names travel as they are in resolver
// messages and in the user's settings, and allCases<CitationFormat>() is the
// order in which the settings picker lists them.
// `inline` is a C++ keyword, hence the trailing underscore; its name is still "inline".
enum class CitationFormat {
    inline_,
    footnote,
    callout,
};

template <> struct EnumNames<CitationFormat> {
    static constexpr std::array<std::string_view, 3> names { "inline", "footnote", "callout" };
};

// Where the citation's link points: the source page when the source allows it,
// or always the local trace.
enum class CitationLinkMode {
    webWhenAvailable,
    localOnly,
};

template <> struct EnumNames<CitationLinkMode> {
    static constexpr std::array<std::string_view, 2> names { "webWhenAvailable", "localOnly" };
};

} // namespace tovra
