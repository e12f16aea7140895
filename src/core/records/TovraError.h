#pragma once

#include <QString>

#include <exception>
#include <string>

namespace tovra {

// Root of every error this program throws. The description is what a user or
// a peer sees: English in the core library, Chinese in the app.
class TovraError : public std::exception {
public:
    explicit TovraError(QString description);

    const QString &localizedDescription() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_description;
    std::string m_utf8;
};

} // namespace tovra
