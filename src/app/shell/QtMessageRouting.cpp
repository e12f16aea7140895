#include "app/shell/QtMessageRouting.h"

#include <QString>
#include <QtGlobal>

namespace tovra {

namespace {

constexpr char routedCategory[] = "tovra.qt";
constexpr char ownCategoryPrefix[] = "tovra.";
// The category of qWarning() and its kin, which Qt leaves unprinted.
constexpr char uncategorised[] = "default";

QtMessageHandler nextHandler = nullptr;

void routeMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QLatin1StringView category(context.category ? context.category : uncategorised);
    if (category.startsWith(QLatin1StringView(ownCategoryPrefix))) {
        nextHandler(type, context, message);
        return;
    }
    QString line
        = category == QLatin1StringView(uncategorised) ? message : category + QStringLiteral(": ") + message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QMessageLogContext routed(context.file, context.line, context.function, routedCategory);
    nextHandler(type, routed, line);
}

} // namespace

void routeQtMessages()
{
    if (nextHandler == nullptr)
        nextHandler = qInstallMessageHandler(routeMessage);
}

} // namespace tovra
