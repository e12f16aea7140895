#include "app/nativehost/TovraLauncher.h"

int main(int argc, char **argv)
{
    return tovra::TovraLauncher::main(argc, argv);
}
