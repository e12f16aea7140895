#include "core/nativehost/NativeHostResponse.h"

#include "core/nativehost/NativeHostRequest.h"
#include "core/records/JsonObjectWriter.h"
#include "core/records/TovraJson.h"

namespace tovra {

namespace {

template <class... Visitors> struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
template <class... Visitors> Overloaded(Visitors...) -> Overloaded<Visitors...>;

} // namespace

NativeHostResponse::NativeHostResponse(std::optional<QUuid> requestId, Body body)
    : m_requestId(std::move(requestId))
    , m_body(std::move(body))
{
}

NativeHostResponse NativeHostResponse::captureStored(
    const QUuid &requestId, const QUuid &sourceId, const QDateTime &expiresAt)
{
    return { requestId, CaptureStored { sourceId, expiresAt } };
}

NativeHostResponse NativeHostResponse::captureRejected(
    const QUuid &requestId, std::variant<RejectionReason, ClipboardRejection> reason)
{
    return { requestId, CaptureRejected { reason } };
}

NativeHostResponse NativeHostResponse::status(const QUuid &requestId, const TovraStatus &status)
{
    return { requestId, Status { status } };
}

NativeHostResponse NativeHostResponse::error(
    std::optional<QUuid> requestId, const NativeMessagingError &error)
{
    return { std::move(requestId), Error { error.kind(), error.localizedDescription() } };
}

QJsonObject NativeHostResponse::toJson() const
{
    JsonObjectWriter writer;
    writer.write(QStringLiteral("schemaVersion"), NativeHostRequest::schemaVersion);
    writer.write(QStringLiteral("requestId"), m_requestId);
    std::visit(Overloaded {
                   [&](const CaptureStored &stored) {
                       writer.write(QStringLiteral("ok"), true);
                       writer.write(QStringLiteral("type"), QStringLiteral("capture_result"));
                       writer.write(QStringLiteral("status"), QStringLiteral("stored"));
                       writer.write(QStringLiteral("sourceId"), stored.sourceId);
                       writer.write(QStringLiteral("expiresAt"), stored.expiresAt);
                   },
                   [&](const CaptureRejected &rejected) {
                       writer.write(QStringLiteral("ok"), true);
                       writer.write(QStringLiteral("type"), QStringLiteral("capture_result"));
                       writer.write(QStringLiteral("status"), QStringLiteral("rejected"));
                       std::visit([&](auto reason) { writer.write(QStringLiteral("reason"), reason); },
                           rejected.reason);
                   },
                   [&](const Status &status) {
                       writer.write(QStringLiteral("ok"), true);
                       writer.write(QStringLiteral("type"), QStringLiteral("status"));
                       writer.write(QStringLiteral("paused"), status.status.paused);
                       writer.write(QStringLiteral("pendingSourceCount"), status.status.pendingSourceCount);
                       writer.write(QStringLiteral("ledgerVersion"), status.status.ledgerVersion);
                   },
                   [&](const Error &error) {
                       writer.write(QStringLiteral("ok"), false);
                       writer.write(QStringLiteral("type"), QStringLiteral("error"));
                       writer.write(QStringLiteral("code"), NativeMessagingError::code(error.kind));
                       writer.write(QStringLiteral("message"), error.message);
                   },
               },
        m_body);
    return writer.object();
}

QByteArray NativeHostResponse::encode() const
{
    return TovraJson::encode(toJson());
}

} // namespace tovra
