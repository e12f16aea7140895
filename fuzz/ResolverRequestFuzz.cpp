// The resolver's request decoder on any message a plug-in can send: a request
// that decodes encodes to one that decodes to the same value, and the request
// identifier read ahead of decoding is the decoded one.

#include "FuzzCheck.h"

#include "core/records/TovraJson.h"
#include "core/records/TovraJsonError.h"
#include "core/resolver/ResolverRequest.h"

#include <cstdint>

using namespace tovra;
using tovra::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray message(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QUuid> probed = ResolverRequest::probeRequestID(message);
    std::optional<ResolverRequest> request;
    try {
        request = TovraJson::decode<ResolverRequest>(message);
    } catch (const TovraJsonError &) {
        return 0;
    }
    require(probed == request->requestId, "the probed request identifier is the decoded one");

    const QByteArray encoded = TovraJson::encode(*request);
    std::optional<ResolverRequest> again;
    try {
        again = TovraJson::decode<ResolverRequest>(encoded);
    } catch (const TovraJsonError &) {
        require(false, "an encoded request decodes");
    }
    require(again == request, "a request encodes and decodes to the same value");
    return 0;
}
