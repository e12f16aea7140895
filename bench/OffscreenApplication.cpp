#include "OffscreenApplication.h"

#include <QApplication>

namespace tovra::bench {

void ensureOffscreenApplication()
{
    static int argc = 1;
    static char name[] = "tovra_bench";
    static char *argv[] = { name, nullptr };
    if (!QCoreApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

} // namespace tovra::bench
