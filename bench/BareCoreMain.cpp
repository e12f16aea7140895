// The least a Qt Core program does on the host's path: start, read its
// standard input to the end, exit. The host benchmarks measure the real
// host against this.

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

int main(int argc, char **argv)
{
    const QCoreApplication application(argc, argv);
    QFile input;
    if (!input.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return 1;
    input.readAll();
    return 0;
}
