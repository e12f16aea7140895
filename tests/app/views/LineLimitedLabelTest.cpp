#include "app/views/LineLimitedLabel.h"
#include "app/views/ElidedLabel.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace tovra::app::views {
namespace {

const QString longMessage = QStringLiteral(
    "无法打开本地加密账本：无法读取账本文件 /home/user/.local/share/Tovra/ledger.json.enc，文件可能已损坏，"
    "或不是用本机的密钥写入的；请从备份恢复，或移走该文件后重新启动Tovra以建立新的账本。（errno 5）");

// A message longer than its lines ends in an ellipsis on the last one, never
// in a line cut through its glyphs; a short one shows whole.
TEST(LineLimitedLabelTest, TheLastLineEndsInAnEllipsisWhenTheTextGoesOn)
{
    for (const QString &text : { longMessage, QStringLiteral("账本文件已损坏。") }) {
        LineLimitedLabel label(3);
        label.setText(text);
        label.resize(260, label.heightForWidth(260));
        const int lines = label.height() / label.fontMetrics().lineSpacing();
        const bool cut = text == longMessage;

        EXPECT_EQ(lines, cut ? 3 : 1);
        EXPECT_EQ(label.shownText().endsWith(QStringLiteral("…")), cut);
        EXPECT_EQ(label.shownText() == text, !cut);
        EXPECT_EQ(label.text(), text);
    }
}

// Descenders and underscores of a one-line label keep their room.
TEST(LineLimitedLabelTest, AnElidedLabelIsAsTallAsItsText)
{
    ElidedLabel label(Qt::ElideMiddle);
    label.setText(QStringLiteral("tovra_x11_test_client · org.gnome.TextEditor · 文本编辑器"));
    const QRect laidOut
        = label.fontMetrics().boundingRect(QRect(0, 0, 10000, 0), Qt::TextSingleLine, label.text());
    EXPECT_GE(label.minimumSizeHint().height(), laidOut.height());
    EXPECT_GE(label.minimumSizeHint().height(), label.fontMetrics().height());
}

} // namespace
} // namespace tovra::app::views
