#include "core/resolver/ResolverResponses.h"
#include "core/records/TovraJsonError.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tovra {

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));
const QUuid resolutionId = QUuid::fromString(QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee"));

ResolverCitationSourcePlan sourcePlan()
{
    return { ResolverSourceKind::web, QStringLiteral("Rust 所有权 [指南]"), QStringLiteral("Google Chrome"),
        QStringLiteral("今天 14:02"), QStringLiteral("doc.rust-lang.org"),
        QStringLiteral("https://doc.rust-lang.org/book/") };
}

ResolverHelloAck helloAck()
{
    return { requestId, QUuid::fromString(QStringLiteral("11111111-2222-4333-8444-555555555555")),
        QStringLiteral("bm9uY2U="), QStringLiteral("a2V5"),
        QStringList { QStringLiteral("resolvePaste"), QStringLiteral("heartbeat") }, 65536 };
}

ResolverCitationPlan citationPlan()
{
    return { requestId, resolutionId, 3000, CitationFormat::callout, QStringLiteral("tovra-1"), sourcePlan(),
        QStringLiteral("tovra://trace/aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee") };
}

// One response type seen through its JSON: an encoded sample, the keys it
// must carry, and a decode followed by an encode.
struct ResponseForm {
    const char *name;
    QJsonObject sample;
    QStringList keys;
    std::function<QJsonObject(const QJsonObject &)> reencode;
};

template <typename Response>
ResponseForm formOf(const char *name, const Response &sample, QStringList ownKeys = {})
{
    ownKeys << "protocol"
            << "type"
            << "requestId";
    ownKeys.sort();
    return { name, toJson(sample), ownKeys,
        [](const QJsonObject &object) { return toJson(fromJson<Response>(object)); } };
}

std::vector<ResponseForm> responseForms()
{
    return {
        formOf("helloAck", helloAck(),
            { "sessionId", "sessionNonce", "contentProofKey", "capabilities", "maxFrameBytes" }),
        formOf("citationPlan", citationPlan(),
            { "resolutionId", "expiresInMs", "format", "footnoteSeed", "source", "receiptURL" }),
        formOf("noCitation",
            ResolverNoCitation(requestId, ResolverNoCitationReason::sourceNotLinkable, resolutionId),
            { "reason", "resolutionId" }),
        formOf("ackAccepted", ResolverAckAccepted(requestId, resolutionId), { "resolutionId" }),
        formOf("heartbeatAck", ResolverHeartbeatAck(requestId)),
        formOf("error",
            ResolverErrorResponse(
                requestId, QStringLiteral("unknown_session"), QStringLiteral("No such session")),
            { "code", "message" }),
    };
}

} // namespace

TEST(ResolverResponses, EveryResponseCarriesProtocolItsTypeAndAllItsKeysAndRoundTrips)
{
    for (const ResponseForm &form : responseForms()) {
        SCOPED_TRACE(form.name);
        EXPECT_EQ(form.sample.value("protocol").toString(), QStringLiteral("tovra.resolver.v1"));
        EXPECT_EQ(form.sample.value("type").toString(), QString::fromLatin1(form.name));
        EXPECT_EQ(form.sample.keys(), form.keys);
        EXPECT_EQ(form.sample.value("requestId").toString(),
            QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));
        EXPECT_EQ(form.reencode(form.sample), form.sample);
    }
}

TEST(ResolverResponses, FieldsEncodeInTheirWireForms)
{
    const QJsonObject hello = toJson(helloAck());
    EXPECT_EQ(hello.value("capabilities").toArray(), (QJsonArray { "resolvePaste", "heartbeat" }));
    EXPECT_EQ(hello.value("maxFrameBytes").toInteger(), 65536);

    ResolverCitationPlan plan = citationPlan();
    const QJsonObject encodedPlan = toJson(plan);
    EXPECT_EQ(encodedPlan.value("expiresInMs").toInteger(), 3000);
    EXPECT_EQ(encodedPlan.value("format").toString(), QStringLiteral("callout"));
    EXPECT_EQ(encodedPlan.value("source").toObject(),
        (QJsonObject { { "kind", "web" }, { "displayTitle", QStringLiteral("Rust 所有权 [指南]") },
            { "applicationName", "Google Chrome" }, { "capturedAtLabel", QStringLiteral("今天 14:02") },
            { "linkLabel", "doc.rust-lang.org" }, { "linkURL", "https://doc.rust-lang.org/book/" } }));
    plan.format = CitationFormat::inline_;
    EXPECT_EQ(toJson(plan).value("format").toString(), QStringLiteral("inline"));

    EXPECT_EQ(TovraJson::encode(ResolverHeartbeatAck(requestId)),
        QByteArray(R"({"protocol":"tovra.resolver.v1","requestId":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b",)"
                   R"("type":"heartbeatAck"})"));
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

    ResolverCitationPlan expected = citationPlan();
    expected.protocol = QStringLiteral("tovra.resolver.v2");
    expected.type = QStringLiteral("somethingElse");
    EXPECT_EQ(fromJson<ResolverCitationPlan>(object), expected);
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
}

TEST(ResolverResponses, WronglyTypedValuesFailWithTheirPath)
{
    const std::vector<ResponseForm> forms = responseForms();
    const auto formNamed = [&](const char *name) {
        return *std::find_if(forms.begin(), forms.end(),
            [name](const ResponseForm &form) { return qstrcmp(form.name, name) == 0; });
    };
    QJsonObject webSource = toJson(sourcePlan());
    webSource.insert("kind", "Web");
    struct Case {
        const char *form;
        const char *key;
        QJsonValue value;
        const char *keyPath;
    };
    const std::vector<Case> cases {
        { "helloAck", "capabilities", QJsonArray { "resolvePaste", 7 }, "capabilities[1]" },
        { "citationPlan", "expiresInMs", 2.5, "expiresInMs" },
        { "citationPlan", "expiresInMs", "3000", "expiresInMs" },
        { "citationPlan", "source", webSource, "source.kind" },
        { "noCitation", "reason", "SourceUnknown", "reason" },
        { "noCitation", "resolutionId", "nope", "resolutionId" },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.keyPath);
        QJsonObject object = formNamed(testCase.form).sample;
        object.insert(testCase.key, testCase.value);
        try {
            formNamed(testCase.form).reencode(object);
            ADD_FAILURE() << "decoded a wrongly typed value";
        } catch (const TovraJsonError &error) {
            EXPECT_EQ(error.keyPath(), QString::fromLatin1(testCase.keyPath));
        }
    }

    QJsonObject noCitation = formNamed("noCitation").sample;
    noCitation.insert("resolutionId", QJsonValue::Null);
    EXPECT_EQ(fromJson<ResolverNoCitation>(noCitation).resolutionId, std::nullopt);
}

} // namespace tovra
