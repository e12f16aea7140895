#pragma once

#include "core/records/TovraError.h"

#include <QString>

#include <optional>

namespace tovra {

// Every failure of the native-messaging host that ends the conversation with
// the browser. Each kind travels as a lower snake case code in the error
// response; the description is the English message sent beside it.
class NativeMessagingError : public TovraError {
public:
    enum class Kind {
        malformedRequest,
        unsupportedSchemaVersion,
        messageTooLarge,
        ledgerUnavailable,
        internalError,
    };

    // The detail is the whole message: "Unknown keys: extra", "The message is not JSON ...".
    static NativeMessagingError malformedRequest(const QString &detail);
    static NativeMessagingError unsupportedSchemaVersion(qint64 version);
    static NativeMessagingError messageTooLarge(quint64 byteCount);
    static NativeMessagingError ledgerUnavailable(const QString &detail);
    static NativeMessagingError internalError(const QString &detail);

    Kind kind() const noexcept { return m_kind; }

    // The wire code of a kind: "malformed_request", "message_too_large", ...
    static QString code(Kind kind);
    QString code() const { return code(m_kind); }

private:
    NativeMessagingError(Kind kind, QString description);

    Kind m_kind;
};

} // namespace tovra
