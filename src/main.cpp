#include <cstdio>

int main()
{
    std::fputs("Tovra: the desktop app is not built yet.\n", stderr);
    return 1;
}
