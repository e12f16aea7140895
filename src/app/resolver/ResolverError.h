#pragma once

#include "core/records/TovraError.h"
#include "core/resolver/ResolverProtocolV1.h"

#include <QString>

namespace tovra {

// Why the app cannot answer a resolver request. Each kind travels to the
// plug-in as a lower snake case code in an error response, with the English
// description beside it as the message.
class ResolverError : public TovraError {
public:
    enum class Kind {
        // This version of the app resolves no citations and accepts no
        // acknowledgements.
        resolverUnavailable,
        // The plug-in sent a request this version does not serve.
        unsupportedRequest,
    };

    static ResolverError resolverUnavailable();
    static ResolverError unsupportedRequest(ResolverRequestType type);

    Kind kind() const noexcept { return m_kind; }

    // The wire code of a kind: "resolver_unavailable", "unsupported_request".
    static QString code(Kind kind);
    QString code() const { return code(m_kind); }

private:
    ResolverError(Kind kind, QString description);

    Kind m_kind;
};

} // namespace tovra
