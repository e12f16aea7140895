#include "platform/PermissionRelaunchIntentStore.h"

#include <QSettings>
#include <QVariant>

#include <cmath>

namespace tovra {

namespace {

double secondsSince1970(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch()) / 1000.0;
}

// A number written by us. The settings file may hand it back as text, so text
// that reads fully as a finite number counts too.
std::optional<double> storedSeconds(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const double seconds = value.toDouble();
        return std::isfinite(seconds) ? std::optional(seconds) : std::nullopt;
    }
    case QMetaType::QString: {
        bool ok = false;
        const double seconds = value.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(seconds) ? std::optional(seconds) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

PermissionRelaunchIntentStore::PermissionRelaunchIntentStore(
    std::shared_ptr<QSettings> defaults, Now now, double maximumAge)
    : m_defaults(std::move(defaults))
    , m_now(std::move(now))
    , m_maximumAge(maximumAge)
{
}

QDateTime PermissionRelaunchIntentStore::now() const
{
    return m_now ? m_now() : QDateTime::currentDateTimeUtc();
}

void PermissionRelaunchIntentStore::recordInputMonitoringRelaunchIntent() const
{
    m_defaults->setValue(intentKey, secondsSince1970(now()));
    m_defaults->sync();
}

bool PermissionRelaunchIntentStore::consumeInputMonitoringRelaunchIntent() const
{
    const QVariant value = m_defaults->value(intentKey);
    if (!value.isValid())
        return false;
    const auto stored = storedSeconds(value);
    if (!stored)
        return false;
    m_defaults->remove(intentKey);
    m_defaults->sync();
    const double age = secondsSince1970(now()) - *stored;
    return age >= -maximumFutureSkew && age <= m_maximumAge;
}

} // namespace tovra
