#include "core/exports/MarkdownFactList.h"

#include "core/citations/MarkdownText.h"

namespace tovra {

MarkdownFactList::MarkdownFactList(QString separator)
    : m_separator(std::move(separator))
{
}

void MarkdownFactList::add(const QString &label, const std::optional<QString> &markdownValue)
{
    if (markdownValue && !markdownValue->isEmpty())
        m_lines.append(QStringLiteral("- ") + label + m_separator + *markdownValue);
}

void MarkdownFactList::addLiteral(const QString &label, const std::optional<QString> &text)
{
    if (text)
        add(label, markdown::escapeLiteral(markdown::singleLine(*text)));
}

QString MarkdownFactList::text() const
{
    return m_lines.join(QLatin1Char('\n'));
}

} // namespace tovra
