#include "platform/ApplicationBundle.h"

#include <QCoreApplication>

namespace tovra {

namespace {

std::optional<QString> nonEmpty(const char *text)
{
    const QString value = QString::fromUtf8(text);
    return value.isEmpty() ? std::nullopt : std::optional(value);
}

} // namespace

ApplicationBundle ApplicationBundle::live()
{
    return ApplicationBundle {
        nonEmpty(TOVRA_SHORT_VERSION),
        nonEmpty(TOVRA_BUILD_VERSION),
        QUrl::fromLocalFile(QCoreApplication::applicationFilePath()),
    };
}

} // namespace tovra
