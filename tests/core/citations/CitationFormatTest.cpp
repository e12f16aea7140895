#include "core/citations/CitationFormat.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

// The names are what settings store, so they must read back exactly.
TEST(CitationFormatTest, CasesInPickerOrderWithNamesThatReadBackExactly)
{
    EXPECT_EQ(allCases<CitationFormat>(),
        (std::array { CitationFormat::inline_, CitationFormat::footnote, CitationFormat::callout }));
    for (const auto &[format, name] : { std::pair { CitationFormat::inline_, u"inline" },
             std::pair { CitationFormat::footnote, u"footnote" },
             std::pair { CitationFormat::callout, u"callout" } }) {
        EXPECT_EQ(enumName(format), QStringView(name));
        EXPECT_EQ(enumFromName<CitationFormat>(name), format);
    }
    EXPECT_EQ(enumFromName<CitationLinkMode>(u"localOnly"), CitationLinkMode::localOnly);
    EXPECT_EQ(enumFromName<CitationLinkMode>(u"webWhenAvailable"), CitationLinkMode::webWhenAvailable);
    for (const char16_t *bad : { u"Inline", u"inline_", u"" })
        EXPECT_FALSE(enumFromName<CitationFormat>(bad).has_value());
    EXPECT_FALSE(enumFromName<CitationLinkMode>(u"localonly").has_value());
}

} // namespace
} // namespace tovra
