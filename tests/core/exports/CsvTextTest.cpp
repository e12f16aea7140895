#include "core/exports/CsvText.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(CsvTextTest, QuotesSeparatorsAndNeutralisesFormulas)
{
    for (const auto &[text, cell] : {
             std::pair { u"", u"" },
             std::pair { u"a=b+c-d@e", u"a=b+c-d@e" },
             std::pair { u"网页 标题", u"网页 标题" },
             std::pair { u"a,b", u"\"a,b\"" },
             std::pair { u"say \"hi\"", u"\"say \"\"hi\"\"\"" },
             std::pair { u"\"", u"\"\"\"\"" },
             std::pair { u"one\ntwo", u"\"one\ntwo\"" },
             std::pair { u"one\r\ntwo", u"\"one\r\ntwo\"" },
             std::pair { u"=SUM(A1:A2)", u"'=SUM(A1:A2)" },
             std::pair { u"+1", u"'+1" },
             std::pair { u"-2", u"'-2" },
             std::pair { u"@cmd", u"'@cmd" },
             std::pair { u"\tx", u"'\tx" },
             // Neutralised first, then quoted: the apostrophe sits inside the quotes.
             std::pair { u"\rx", u"\"'\rx\"" },
             std::pair { u"=HYPERLINK(\"http://x\",\"y\")", u"\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"" },
         }) {
        EXPECT_EQ(csv::cell(QString::fromUtf16(text)), QString::fromUtf16(cell));
    }
    EXPECT_EQ(csv::neutralizeFormula(QStringLiteral(" =1")), QStringLiteral(" =1"));
    EXPECT_EQ(csv::row({ QStringLiteral("a"), QString(), QStringLiteral("b,c"), QStringLiteral("=d") }),
        QStringLiteral("a,,\"b,c\",'=d\r\n"));
    EXPECT_EQ(csv::row({}), QStringLiteral("\r\n"));
}

} // namespace
} // namespace tovra
