#pragma once

#include <QLoggingCategory>
#include <QStringList>

namespace tovra::app::testing {

// Every message Qt's logging writes while it lives, as "category: message".
class LogCapture {
public:
    LogCapture() { m_previous = qInstallMessageHandler(&LogCapture::collect); }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        lines().clear();
    }

    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

    QStringList linesOf(const char *category) const
    {
        QStringList matching;
        const QString prefix = QString::fromLatin1(category) + QStringLiteral(": ");
        for (const QString &line : lines()) {
            if (line.startsWith(prefix))
                matching.append(line);
        }
        return matching;
    }

private:
    static void collect(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        lines().append(QString::fromLatin1(context.category) + QStringLiteral(": ") + message);
    }

    QtMessageHandler m_previous = nullptr;
};

} // namespace tovra::app::testing
