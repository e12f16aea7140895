#include "core/resolver/ResolverResponses.h"
#include "core/records/TovraJsonError.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <functional>

namespace tovra {

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));
const QUuid sessionId = QUuid::fromString(QStringLiteral("11111111-2222-4333-8444-555555555555"));
const QUuid resolutionId = QUuid::fromString(QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee"));

ResolverCitationSourcePlan sourcePlan()
{
    return { ResolverSourceKind::web, QStringLiteral("Rust 所有权 [指南]"), QStringLiteral("Google Chrome"),
        QStringLiteral("今天 14:02"), QStringLiteral("doc.rust-lang.org"),
        QStringLiteral("https://doc.rust-lang.org/book/") };
}

ResolverHelloAck helloAck()
{
    return { requestId, sessionId, QStringLiteral("bm9uY2U="), QStringLiteral("a2V5"),
        QStringList { QStringLiteral("resolvePaste"), QStringLiteral("heartbeat") }, 65536 };
}

ResolverCitationPlan citationPlan()
{
    return { requestId, resolutionId, 3000, CitationFormat::callout, QStringLiteral("tovra-1"), sourcePlan(),
        QStringLiteral("tovra://trace/aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee") };
}

QStringList sortedKeys(std::initializer_list<const char *> keys)
{
    QStringList list;
    for (const char *key : keys)
        list.append(QString::fromLatin1(key));
    list.sort();
    return list;
}

// One response type seen through its JSON: how to encode a sample, how to
// decode an object, and the keys it must carry.
struct ResponseForm {
    const char *name;
    const char *typeValue;
    QJsonObject sample;
    QStringList keys;
    std::function<QJsonObject(const QJsonObject &)> reencode;
};

template <typename Response> ResponseForm formOf(const char *name, const Response &sample, QStringList keys)
{
    return { name, Response::typeValue.data(), toJson(sample), std::move(keys),
        [](const QJsonObject &object) { return toJson(fromJson<Response>(object)); } };
}

std::vector<ResponseForm> responseForms()
{
    return {
        formOf("helloAck", helloAck(),
            sortedKeys({ "protocol", "type", "requestId", "sessionId", "sessionNonce", "contentProofKey",
                "capabilities", "maxFrameBytes" })),
        formOf("citationPlan", citationPlan(),
            sortedKeys({ "protocol", "type", "requestId", "resolutionId", "expiresInMs", "format",
                "footnoteSeed", "source", "receiptURL" })),
        formOf("noCitation",
            ResolverNoCitation(requestId, ResolverNoCitationReason::sourceNotLinkable, resolutionId),
            sortedKeys({ "protocol", "type", "requestId", "reason", "resolutionId" })),
        formOf("ackAccepted", ResolverAckAccepted(requestId, resolutionId),
            sortedKeys({ "protocol", "type", "requestId", "resolutionId" })),
        formOf(
            "heartbeatAck", ResolverHeartbeatAck(requestId), sortedKeys({ "protocol", "type", "requestId" })),
        formOf("error",
            ResolverErrorResponse(
                requestId, QStringLiteral("unknown_session"), QStringLiteral("No such session")),
            sortedKeys({ "protocol", "type", "requestId", "code", "message" })),
    };
}

} // namespace

TEST(ResolverResponses, EveryResponseCarriesProtocolItsTypeAndAllItsKeys)
{
    for (const ResponseForm &form : responseForms()) {
        SCOPED_TRACE(form.name);
        EXPECT_EQ(form.sample.value("protocol").toString(), QStringLiteral("tovra.resolver.v1"));
        EXPECT_EQ(form.sample.value("type").toString(), QString::fromLatin1(form.typeValue));
        EXPECT_EQ(form.sample.value("type").toString(), QString::fromLatin1(form.name));
        EXPECT_EQ(form.sample.keys(), form.keys);
        EXPECT_EQ(form.sample.value("requestId").toString(),
            QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));
    }
}

TEST(ResolverResponses, FieldsEncodeInTheirWireForms)
{
    const QJsonObject hello = toJson(helloAck());
    EXPECT_EQ(hello.value("capabilities").toArray(), (QJsonArray { "resolvePaste", "heartbeat" }));
    EXPECT_EQ(hello.value("maxFrameBytes").toInteger(), 65536);

    const QJsonObject plan = toJson(citationPlan());
    EXPECT_EQ(plan.value("expiresInMs").toInteger(), 3000);
    EXPECT_EQ(plan.value("format").toString(), QStringLiteral("callout"));
    EXPECT_EQ(plan.value("source").toObject(),
        (QJsonObject { { "kind", "web" }, { "displayTitle", QStringLiteral("Rust 所有权 [指南]") },
            { "applicationName", "Google Chrome" }, { "capturedAtLabel", QStringLiteral("今天 14:02") },
            { "linkLabel", "doc.rust-lang.org" }, { "linkURL", "https://doc.rust-lang.org/book/" } }));

    ResolverCitationPlan inlinePlan = citationPlan();
    inlinePlan.format = CitationFormat::inline_;
    EXPECT_EQ(toJson(inlinePlan).value("format").toString(), QStringLiteral("inline"));

    EXPECT_EQ(TovraJson::encode(ResolverHeartbeatAck(requestId)),
        QByteArray(R"({"protocol":"tovra.resolver.v1","requestId":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b",)"
                   R"("type":"heartbeatAck"})"));
}

TEST(ResolverResponses, NoCitationLeavesOutAnAbsentResolution)
{
    const ResolverNoCitation withoutResolution(requestId, ResolverNoCitationReason::sourceUnknown);
    EXPECT_EQ(withoutResolution.resolutionId, std::nullopt);
    const QJsonObject encoded = toJson(withoutResolution);
    EXPECT_FALSE(encoded.contains("resolutionId"));
    EXPECT_EQ(encoded.keys(), sortedKeys({ "protocol", "type", "requestId", "reason" }));
    EXPECT_EQ(encoded.value("reason").toString(), QStringLiteral("sourceUnknown"));
    EXPECT_EQ(fromJson<ResolverNoCitation>(encoded), withoutResolution);
}

TEST(ResolverResponses, EveryResponseRoundTrips)
{
    EXPECT_EQ(TovraJson::decode<ResolverHelloAck>(TovraJson::encode(helloAck())), helloAck());
    EXPECT_EQ(TovraJson::decode<ResolverCitationPlan>(TovraJson::encode(citationPlan())), citationPlan());
    const ResolverNoCitation noCitation(requestId, ResolverNoCitationReason::sourceNotLinkable, resolutionId);
    EXPECT_EQ(TovraJson::decode<ResolverNoCitation>(TovraJson::encode(noCitation)), noCitation);
    const ResolverAckAccepted accepted(requestId, resolutionId);
    EXPECT_EQ(TovraJson::decode<ResolverAckAccepted>(TovraJson::encode(accepted)), accepted);
    const ResolverHeartbeatAck heartbeat(requestId);
    EXPECT_EQ(TovraJson::decode<ResolverHeartbeatAck>(TovraJson::encode(heartbeat)), heartbeat);
    const ResolverErrorResponse error(
        requestId, QStringLiteral("rate_limited"), QStringLiteral("Too many requests"));
    EXPECT_EQ(TovraJson::decode<ResolverErrorResponse>(TovraJson::encode(error)), error);
    EXPECT_NE(
        error, ResolverErrorResponse(requestId, QStringLiteral("rate_limited"), QStringLiteral("Other")));
}

TEST(ResolverResponses, DecodingIgnoresUnknownKeysAndTakesHeaderValuesAsTheyCome)
{
    QJsonObject object = toJson(citationPlan());
    object.insert("protocol", "tovra.resolver.v2");
    object.insert("type", "somethingElse");
    object.insert("futureField", QJsonArray { 1, 2 });
    QJsonObject source = object.value("source").toObject();
    source.insert("favicon", "x.png");
    object.insert("source", source);

    const auto plan = fromJson<ResolverCitationPlan>(object);
    EXPECT_EQ(plan.protocol, QStringLiteral("tovra.resolver.v2"));
    EXPECT_EQ(plan.type, QStringLiteral("somethingElse"));
    EXPECT_EQ(plan.source, sourcePlan());
    EXPECT_EQ(plan.requestId, requestId);
    EXPECT_EQ(plan.resolutionId, resolutionId);
    EXPECT_EQ(plan.receiptURL, citationPlan().receiptURL);
}

TEST(ResolverResponses, EveryKeyIsRequiredSaveTheNoCitationResolution)
{
    for (const ResponseForm &form : responseForms()) {
        for (const QString &key : form.keys) {
            SCOPED_TRACE(std::string(form.name) + " without " + key.toStdString());
            QJsonObject object = form.sample;
            object.remove(key);
            if (QLatin1String(form.name) == QLatin1String("noCitation")
                && key == QLatin1String("resolutionId")) {
                EXPECT_EQ(form.reencode(object), object);
                continue;
            }
            try {
                form.reencode(object);
                ADD_FAILURE() << "decoded without a required key";
            } catch (const TovraJsonError &error) {
                EXPECT_EQ(error.kind(), TovraJsonError::Kind::missingKey);
                EXPECT_EQ(error.keyPath(), key);
            }
        }
    }
}

TEST(ResolverResponses, SourcePlanFieldsAreRequiredAndTyped)
{
    for (const char *key :
        { "kind", "displayTitle", "applicationName", "capturedAtLabel", "linkLabel", "linkURL" }) {
        SCOPED_TRACE(key);
        QJsonObject object = toJson(citationPlan());
        QJsonObject source = object.value("source").toObject();
        source.remove(key);
        object.insert("source", source);
        try {
            fromJson<ResolverCitationPlan>(object);
            ADD_FAILURE() << "decoded without a required source key";
        } catch (const TovraJsonError &error) {
            EXPECT_EQ(error.kind(), TovraJsonError::Kind::missingKey);
            EXPECT_EQ(error.keyPath(), QStringLiteral("source.") + QLatin1String(key));
        }
    }

    QJsonObject wrongKind = toJson(sourcePlan());
    wrongKind.insert("kind", "Web");
    EXPECT_THROW(fromJson<ResolverCitationSourcePlan>(wrongKind), TovraJsonError);
    wrongKind.insert("kind", "application");
    EXPECT_EQ(fromJson<ResolverCitationSourcePlan>(wrongKind).kind, ResolverSourceKind::application);
}

TEST(ResolverResponses, WronglyTypedValuesFailWithTheirPath)
{
    QJsonObject hello = toJson(helloAck());
    hello.insert("capabilities", QJsonArray { "resolvePaste", 7 });
    try {
        fromJson<ResolverHelloAck>(hello);
        ADD_FAILURE() << "decoded a capability that is not a string";
    } catch (const TovraJsonError &error) {
        EXPECT_EQ(error.kind(), TovraJsonError::Kind::typeMismatch);
        EXPECT_EQ(error.keyPath(), QStringLiteral("capabilities[1]"));
    }

    QJsonObject plan = toJson(citationPlan());
    plan.insert("expiresInMs", 2.5);
    EXPECT_THROW(fromJson<ResolverCitationPlan>(plan), TovraJsonError);
    plan.insert("expiresInMs", "3000");
    EXPECT_THROW(fromJson<ResolverCitationPlan>(plan), TovraJsonError);

    QJsonObject noCitation = toJson(ResolverNoCitation(requestId, ResolverNoCitationReason::sourceUnknown));
    noCitation.insert("reason", "SourceUnknown");
    EXPECT_THROW(fromJson<ResolverNoCitation>(noCitation), TovraJsonError);
    noCitation.insert("reason", "sourceUnknown");
    noCitation.insert("resolutionId", QJsonValue::Null);
    EXPECT_EQ(fromJson<ResolverNoCitation>(noCitation).resolutionId, std::nullopt);
    noCitation.insert("resolutionId", "nope");
    EXPECT_THROW(fromJson<ResolverNoCitation>(noCitation), TovraJsonError);
}

} // namespace tovra
