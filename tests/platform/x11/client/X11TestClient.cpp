// A small desktop application driven over standard input by the X11 backend's
// tests: it copies, reports what it receives (keys, clipboard contents) and
// exposes a plain and a password field to the accessibility bus.

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include <xcb/xcb.h>

namespace {

void reply(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Reports the clipboard shortcuts the fields receive, so a test can tell that
// observing them did not take them away.
class ShortcutReporter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->modifiers() == Qt::ControlModifier
                && (key->key() == Qt::Key_C || key->key() == Qt::Key_X || key->key() == Qt::Key_V))
                reply("key " + watched->objectName().toUtf8() + " ctrl+"
                    + QByteArray(1, char(key->key() - Qt::Key_A + 'a')));
            // A terminal's paste.
            if (key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) && key->key() == Qt::Key_V)
                reply("key " + watched->objectName().toUtf8() + " ctrl+shift+v");
        }
        return QObject::eventFilter(watched, event);
    }
};

// Qt stamps its clipboard and focus requests with the time of the last event
// it handled. A real copy or click follows the user's key or button press,
// which is newer than any earlier change of the clipboard or the focus; a
// command read from standard input follows no such event, and the server
// ignores a request stamped before the latest change (our own write a moment
// ago, say). So before such a command the client has the server stamp a
// property change on its own window and waits until Qt has handled that
// notice, which brings Qt's clock up to the server's.
class ServerClock : public QAbstractNativeEventFilter {
public:
    explicit ServerClock(QWidget &window)
        : m_widget(window)
    {
        qApp->installNativeEventFilter(this);
    }

    ~ServerClock() override { qApp->removeNativeEventFilter(this); }

    ServerClock(const ServerClock &) = delete;
    ServerClock &operator=(const ServerClock &) = delete;

    void catchUp()
    {
        const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
        if (!connection)
            return;
        m_window = xcb_window_t(m_widget.winId());
        if (m_property == XCB_NONE) {
            static constexpr char name[] = "TOVRA_TEST_CLIENT_CLOCK";
            xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
                connection, xcb_intern_atom(connection, false, sizeof name - 1, name), nullptr);
            if (!reply)
                return;
            m_property = reply->atom;
            std::free(reply);
        }
        m_stamped = false;
        xcb_change_property(
            connection, XCB_PROP_MODE_APPEND, m_window, m_property, XCB_ATOM_INTEGER, 32, 0, nullptr);
        xcb_flush(connection);
        QEventLoop loop;
        m_loop = &loop;
        // The bound only keeps a broken server from hanging the client.
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        if (!m_stamped)
            loop.exec();
        m_loop = nullptr;
    }

    // The notice passes this filter before Qt takes its time from it, within
    // the same round of event processing, so the loop ends after both.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (notify->window == m_window && notify->atom == m_property) {
            m_stamped = true;
            if (m_loop)
                m_loop->quit();
        }
        return false;
    }

private:
    QWidget &m_widget;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    bool m_stamped = false;
    QEventLoop *m_loop = nullptr;
};

class Client : public QWidget {
public:
    Client()
    {
        setWindowTitle(QStringLiteral("Tovra test client"));
        m_plain.setObjectName(QStringLiteral("plain"));
        m_plain.setAccessibleName(QStringLiteral("Plain field"));
        m_password.setObjectName(QStringLiteral("password"));
        m_password.setAccessibleName(QStringLiteral("Secret field"));
        m_password.setEchoMode(QLineEdit::Password);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(&m_plain);
        layout->addWidget(&m_password);
        m_plain.installEventFilter(&m_reporter);
        m_password.installEventFilter(&m_reporter);
        connect(&m_input, &QSocketNotifier::activated, this, &Client::readCommands);
    }

private:
    QLineEdit *field(const QByteArray &name) { return name == "password" ? &m_password : &m_plain; }

    // Commands wait their turn meanwhile.
    void catchUpWithServer()
    {
        m_input.setEnabled(false);
        m_clock.catchUp();
        m_input.setEnabled(true);
    }

    void readCommands()
    {
        char buffer[65536];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            QApplication::quit();
            return;
        }
        m_pending.append(buffer, qsizetype(count));
        qsizetype end;
        while ((end = m_pending.indexOf('\n')) >= 0) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 1);
            run(line);
        }
    }

    void run(const QByteArray &line)
    {
        const QList<QByteArray> words = line.split(' ');
        const QByteArray &command = words.value(0);
        QClipboard *clipboard = QApplication::clipboard();
        if (command.startsWith("copy-") || command == "focus")
            catchUpWithServer();
        if (command == "copy-text") {
            clipboard->setText(QString::fromUtf8(QByteArray::fromBase64(words.value(1))));
        } else if (command == "copy-image") {
            QImage image(words.value(1).toInt(), words.value(2).toInt(), QImage::Format_RGB32);
            image.fill(Qt::red);
            clipboard->setImage(image);
        } else if (command == "copy-mime") {
            // copy-mime TYPE BASE64 [TYPE BASE64 ...]
            auto *data = new QMimeData;
            for (qsizetype index = 1; index + 1 < words.size(); index += 2)
                data->setData(QString::fromLatin1(words[index]), QByteArray::fromBase64(words[index + 1]));
            clipboard->setMimeData(data);
        } else if (command == "copy-large") {
            // copy-large TYPE SIZE: bytes 0..250 repeated.
            QByteArray bytes(words.value(2).toLongLong(), Qt::Uninitialized);
            for (qsizetype index = 0; index < bytes.size(); ++index)
                bytes[index] = char(index % 251);
            auto *data = new QMimeData;
            data->setData(QString::fromLatin1(words.value(1)), bytes);
            clipboard->setMimeData(data);
        } else if (command == "read-text") {
            reply("text " + clipboard->text().toUtf8().toBase64());
            return;
        } else if (command == "read-image") {
            const QImage image = clipboard->image();
            reply("image " + QByteArray::number(image.width()) + "x" + QByteArray::number(image.height()));
            return;
        } else if (command == "read-mime") {
            const QByteArray bytes = clipboard->mimeData()->data(QString::fromLatin1(words.value(1)));
            reply("mime " + QByteArray::number(bytes.size()) + " "
                + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
            return;
        } else if (command == "focus") {
            activateWindow();
            raise();
            field(words.value(1))->setFocus();
        } else if (command == "field-text") {
            reply("field-text " + field(words.value(1))->text().toUtf8().toBase64());
            return;
        } else if (command == "clear-field") {
            field(words.value(1))->clear();
        } else if (command == "select-text") {
            // select-text NAME BASE64: the field holds the text, all of it
            // selected, ready for the user's Ctrl+C.
            field(words.value(1))->setText(QString::fromUtf8(QByteArray::fromBase64(words.value(2))));
            field(words.value(1))->selectAll();
        } else if (command == "quit") {
            QApplication::quit();
        }
        reply("ok " + command);
    }

    QLineEdit m_plain;
    QLineEdit m_password;
    ShortcutReporter m_reporter;
    QSocketNotifier m_input { STDIN_FILENO, QSocketNotifier::Read };
    ServerClock m_clock { *this };
    QByteArray m_pending;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    Client client;
    client.resize(320, 120);
    client.show();
    // Tests wait for this before asking what the clipboard holds, since the
    // command and the server's change notice arrive on different channels.
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, [] { reply("clipboard-changed"); });
    QObject::connect(&application, &QGuiApplication::focusWindowChanged, &client,
        [](QWindow *window) { reply(window ? "focus-in" : "focus-out"); });
    reply("ready " + QByteArray::number(client.winId()));
    return application.exec();
}
