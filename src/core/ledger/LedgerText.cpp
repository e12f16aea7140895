#include "core/ledger/LedgerText.h"

#include <QStringView>

namespace tovra {

std::optional<QString> LedgerText::bounded(const std::optional<QString> &text, qsizetype maximumBytes)
{
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < trimmed.size()) {
        const bool pair = trimmed.at(end).isHighSurrogate() && end + 1 < trimmed.size()
            && trimmed.at(end + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        const qsizetype characterBytes = QStringView(trimmed).mid(end, units).toUtf8().size();
        if (bytes + characterBytes > maximumBytes)
            break;
        bytes += characterBytes;
        end += units;
    }
    const QString result = trimmed.left(end).trimmed();
    if (result.isEmpty())
        return std::nullopt;
    return result;
}

} // namespace tovra
