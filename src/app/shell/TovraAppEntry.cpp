#include "app/shell/TovraAppEntry.h"

#include "app/shell/TovraApplication.h"

extern "C" __attribute__((visibility("default"))) int tovra_run_application(int argc, char **argv)
{
    return tovra::app::TovraApplication::run(argc, argv);
}
