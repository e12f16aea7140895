#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

namespace tovra {

// Every enumeration that travels as JSON specialises this with `names`: its
// case names in declaration order, which are also its wire values. Keeping the
// table next to the declaration means a case cannot be added without a name.
template <typename Enum> struct EnumNames;

template <typename Enum> constexpr std::size_t enumCaseCount()
{
    return EnumNames<Enum>::names.size();
}

// The cases in declaration order.
template <typename Enum> constexpr std::array<Enum, enumCaseCount<Enum>()> allCases()
{
    std::array<Enum, enumCaseCount<Enum>()> cases {};
    for (std::size_t index = 0; index < cases.size(); ++index) {
        cases[index] = static_cast<Enum>(index);
    }
    return cases;
}

template <typename Enum> QString enumName(Enum value)
{
    const auto index = static_cast<std::size_t>(static_cast<std::underlying_type_t<Enum>>(value));
    const std::string_view name = EnumNames<Enum>::names.at(index);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

// Exact, case-sensitive match: wire values are case names, nothing else.
template <typename Enum> std::optional<Enum> enumFromName(QStringView name)
{
    const auto &names = EnumNames<Enum>::names;
    for (std::size_t index = 0; index < names.size(); ++index) {
        if (name == QLatin1StringView(names[index].data(), static_cast<qsizetype>(names[index].size()))) {
            return static_cast<Enum>(index);
        }
    }
    return std::nullopt;
}

} // namespace tovra
