#include "app/shell/TovraLauncher.h"

int main(int argc, char **argv)
{
    return tovra::TovraLauncher::main(argc, argv);
}
