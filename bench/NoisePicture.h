#pragma once

#include <QByteArray>

namespace tovra::bench {

// Noise does not compress: a PNG of it just under the 20 MiB limit of a
// picture in the copy history.
QByteArray largestPicture();

} // namespace tovra::bench
