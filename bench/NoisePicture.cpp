#include "NoisePicture.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>

namespace tovra::bench {

QByteArray largestPicture()
{
    QImage noise(2560, 2700, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < noise.height(); ++y)
        random.fillRange(reinterpret_cast<quint32 *>(noise.scanLine(y)), noise.width());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "PNG");
    return png;
}

} // namespace tovra::bench
