#include "app/views/LocaleText.h"

#include "app/model/FileSizeText.h"

namespace tovra::app::views {

QLocale interfaceLocale()
{
    return QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China);
}

QString byteCountText(qint64 bytes)
{
    return fileSizeText(bytes, interfaceLocale());
}

QString dateTimeText(const QDateTime &moment)
{
    return interfaceLocale().toString(moment.toLocalTime(), QStringLiteral("yyyy年M月d日 HH:mm:ss"));
}

} // namespace tovra::app::views
