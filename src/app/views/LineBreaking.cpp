#include "app/views/LineBreaking.h"

namespace tovra::app::views {

namespace {

constexpr QChar wordJoiner(0x2060);

bool endsClause(QChar character)
{
    return QStringView(u"。，；：、！？").contains(character);
}

bool isHan(QChar character)
{
    return character.script() == QChar::Script_Han;
}

} // namespace

QString keepClauseEndsTogether(const QString &text)
{
    QString joined;
    joined.reserve(text.size() + text.size() / 8);
    for (qsizetype index = 0; index < text.size(); ++index) {
        const bool beforeLast = index + 2 < text.size() && endsClause(text.at(index + 2))
            && isHan(text.at(index)) && isHan(text.at(index + 1));
        joined.append(text.at(index));
        if (beforeLast)
            joined.append(wordJoiner);
    }
    return joined;
}

} // namespace tovra::app::views
