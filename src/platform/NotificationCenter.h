#pragma once

#include <QObject>
#include <QString>

namespace tovra {

// The one app-wide channel for named notifications between parts that do not
// hold each other, such as the hot key and the model that reacts to it.
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    // Created on first use, on the thread that first asks; lives until exit.
    static NotificationCenter &shared();

    // Delivers `name` to every receiver of `posted`. From another thread the
    // delivery is queued to each receiver's thread.
    void post(const QString &name);

signals:
    void posted(const QString &name);

private:
    NotificationCenter() = default;
};

} // namespace tovra
