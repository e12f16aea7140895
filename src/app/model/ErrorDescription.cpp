#include "app/model/ErrorDescription.h"

#include "core/records/TovraError.h"

namespace tovra::app {

QString errorDescription(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const TovraError &tovraError) {
        return tovraError.localizedDescription();
    } catch (const std::exception &other) {
        return QString::fromUtf8(other.what());
    } catch (...) {
        return QStringLiteral("未知错误");
    }
}

} // namespace tovra::app
