// The least a Qt Widgets start can do to show the app's window: an empty
// window of the main window's size and title, placed where the app places
// it; with "--label", a window that also shows one line of Chinese text, so
// that it sets up the fonts the app needs. The start-to-first-paint
// benchmark measures the app against these.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tovra"));
    QApplication::setApplicationName(QStringLiteral("Tovra"));

    const QSize size(440, 560);
    QWidget window(
        nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    window.setWindowTitle(QStringLiteral("Tovra"));
    window.setFixedSize(size);
    if (application.arguments().contains(QStringLiteral("--label"))) {
        auto *label = new QLabel(QStringLiteral("正在读取本地记录…"), &window);
        label->move(16, 16);
    }
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size);
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return application.exec();
}
