#pragma once

#include "core/records/TovraError.h"

#include <QStringList>

namespace tovra {

// A JSON document that does not have the expected shape. `keyPath` names the
// offending place ("source.capturedAt", "traceRecords[2].id"); it is empty for
// the top level.
class TovraJsonError : public TovraError {
public:
    enum class Kind {
        invalidJson,
        missingKey,
        typeMismatch,
        invalidValue,
        unknownKeys,
    };

    static TovraJsonError invalidJson(const QString &parserMessage, qsizetype offset);
    static TovraJsonError missingKey(const QString &keyPath);
    static TovraJsonError typeMismatch(const QString &keyPath, const QString &expected, const QString &found);
    static TovraJsonError invalidValue(const QString &keyPath, const QString &problem);
    // `unknownKeys` must already be sorted; the description lists them as given.
    static TovraJsonError unknownKeys(const QString &keyPath, const QStringList &unknownKeys);

    Kind kind() const noexcept { return m_kind; }
    const QString &keyPath() const noexcept { return m_keyPath; }
    const QStringList &unknownKeyNames() const noexcept { return m_unknownKeys; }

private:
    TovraJsonError(Kind kind, QString keyPath, QString description, QStringList unknownKeys = {});

    Kind m_kind;
    QString m_keyPath;
    QStringList m_unknownKeys;
};

} // namespace tovra
