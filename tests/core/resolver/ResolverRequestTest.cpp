#include "core/resolver/ResolverRequest.h"
#include "core/records/TovraJsonError.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace tovra {

namespace {

const QString requestIdText = QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b");
const QUuid requestId = QUuid::fromString(requestIdText);

QJsonObject minimalRequestObject()
{
    return QJsonObject { { "protocol", "tovra.resolver.v1" }, { "type", "resolvePaste" },
        { "requestId", requestIdText } };
}

QJsonObject withValue(const char *key, const QJsonValue &value)
{
    QJsonObject object = minimalRequestObject();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

// Decodes and returns the error it must fail with.
TovraJsonError requestDecodingError(const QJsonObject &object)
{
    try {
        fromJson<ResolverRequest>(object);
    } catch (const TovraJsonError &error) {
        return error;
    }
    ADD_FAILURE() << "decoding succeeded: "
                  << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
    return TovraJsonError::invalidJson(QStringLiteral("no failure"), 0);
}

} // namespace

TEST(ResolverRequest, ThreeRequiredKeysDecodeAndEncodeBackToExactlyThoseKeys)
{
    const ResolverRequest expected { QStringLiteral("tovra.resolver.v1"), ResolverRequestType::resolvePaste,
        requestId };
    EXPECT_EQ(fromJson<ResolverRequest>(minimalRequestObject()), expected);
    EXPECT_EQ(toJson(expected), minimalRequestObject());

    // Explicit nulls in the optional fields read as absent.
    QJsonObject withNulls = minimalRequestObject();
    for (const char *key : { "resolutionId", "plugin", "sessionId", "sessionNonce", "adapter", "mime",
             "contentProof", "format" })
        withNulls.insert(key, QJsonValue::Null);
    EXPECT_EQ(fromJson<ResolverRequest>(withNulls), expected);
}

TEST(ResolverRequest, EveryFieldRoundTripsUnderItsKey)
{
    const ResolverRequest request(QStringLiteral("tovra.resolver.v1"), ResolverRequestType::editorInserted,
        requestId, ResolverPluginIdentity { QStringLiteral("tovra-obsidian"), QStringLiteral("1.2.0") },
        QUuid::fromString(QStringLiteral("11111111-2222-4333-8444-555555555555")), QStringLiteral("bm9uY2U="),
        QStringLiteral("obsidian-editor"), QStringLiteral("text/plain"),
        ResolverContentProof { QStringLiteral("hmac-sha256"), QStringLiteral("c2lnbmF0dXJl") },
        QUuid::fromString(QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee")), CitationFormat::inline_);
    const QJsonObject encoded = toJson(request);
    EXPECT_EQ(encoded.keys(),
        (QStringList { "adapter", "contentProof", "format", "mime", "plugin", "protocol", "requestId",
            "resolutionId", "sessionId", "sessionNonce", "type" }));
    EXPECT_EQ(encoded.value("format").toString(), QStringLiteral("inline"));
    EXPECT_EQ(encoded.value("sessionId").toString(), QStringLiteral("11111111-2222-4333-8444-555555555555"));
    EXPECT_EQ(encoded.value("plugin").toObject(),
        (QJsonObject { { "id", "tovra-obsidian" }, { "version", "1.2.0" } }));
    EXPECT_EQ(encoded.value("contentProof").toObject(),
        (QJsonObject { { "algorithm", "hmac-sha256" }, { "value", "c2lnbmF0dXJl" } }));
    EXPECT_EQ(TovraJson::decode<ResolverRequest>(TovraJson::encode(request)), request);
}

TEST(ResolverRequest, TypeIsOneOfTheExactCaseNames)
{
    const std::vector<std::pair<const char *, ResolverRequestType>> names {
        { "hello", ResolverRequestType::hello },
        { "resolvePaste", ResolverRequestType::resolvePaste },
        { "editorInserted", ResolverRequestType::editorInserted },
        { "plainTextInserted", ResolverRequestType::plainTextInserted },
        { "heartbeat", ResolverRequestType::heartbeat },
    };
    ASSERT_EQ(allCases<ResolverRequestType>().size(), names.size());
    for (const auto &[name, type] : names) {
        SCOPED_TRACE(name);
        const auto request = fromJson<ResolverRequest>(withValue("type", name));
        EXPECT_EQ(request.type, type);
        EXPECT_EQ(toJson(request).value("type").toString(), QString::fromLatin1(name));
    }
    // The protocol value is the caller's to judge, not the decoder's.
    EXPECT_EQ(fromJson<ResolverRequest>(withValue("protocol", "tovra.resolver.v9")).protocol,
        QStringLiteral("tovra.resolver.v9"));
}

TEST(ResolverRequest, UnknownMissingOrWronglyTypedFieldsFailWithTheirPath)
{
    using Kind = TovraJsonError::Kind;
    struct Case {
        QJsonObject object;
        Kind kind;
        const char *keyPath;
        const char *description = nullptr;
    };
    const auto undefined = QJsonValue::Undefined;
    QJsonObject twoExtra = withValue("zeta", true);
    twoExtra.insert("alpha", QJsonValue::Null);
    const std::vector<Case> cases {
        { withValue("foo", 1), Kind::unknownKeys, "", "Unknown keys: foo" },
        { twoExtra, Kind::unknownKeys, "", "Unknown keys: alpha, zeta" },
        // Found before any field is read: nothing else is present.
        { QJsonObject { { "foo", 1 } }, Kind::unknownKeys, "", "Unknown keys: foo" },
        { withValue("plugin", QJsonObject { { "id", "tovra-obsidian" }, { "version", "1" }, { "build", 7 } }),
            Kind::unknownKeys, "plugin", "Unknown keys: build" },
        { withValue("contentProof",
              QJsonObject { { "algorithm", "a" }, { "value", "v" }, { "salt", "s" }, { "extra", 1 } }),
            Kind::unknownKeys, "contentProof", "Unknown keys: extra, salt" },
        { withValue("protocol", undefined), Kind::missingKey, "protocol" },
        { withValue("protocol", QJsonValue::Null), Kind::typeMismatch, "protocol" },
        { withValue("protocol", 1), Kind::typeMismatch, "protocol" },
        { withValue("type", undefined), Kind::missingKey, "type" },
        { withValue("type", QJsonArray { "hello" }), Kind::typeMismatch, "type" },
        { withValue("type", "ResolvePaste"), Kind::invalidValue, "type" },
        { withValue("type", "resolvepaste"), Kind::invalidValue, "type" },
        { withValue("type", ""), Kind::invalidValue, "type" },
        { withValue("format", "Footnote"), Kind::invalidValue, "format" },
        { withValue("requestId", undefined), Kind::missingKey, "requestId" },
        { withValue("requestId", QJsonValue::Null), Kind::typeMismatch, "requestId" },
        { withValue("requestId", 42), Kind::typeMismatch, "requestId" },
        { withValue("requestId", "6f1c2a3b-4d5e-4f60-8a7b"), Kind::invalidValue, "requestId" },
        { withValue("sessionId", "not-a-uuid"), Kind::invalidValue, "sessionId" },
        { withValue("sessionNonce", 3), Kind::typeMismatch, "sessionNonce" },
        { withValue("plugin", "tovra-obsidian"), Kind::typeMismatch, "plugin" },
        { withValue("plugin", QJsonObject { { "id", "tovra-obsidian" } }), Kind::missingKey,
            "plugin.version" },
        { withValue("contentProof", QJsonObject { { "algorithm", "a" }, { "value", 5 } }), Kind::typeMismatch,
            "contentProof.value" },
    };
    for (std::size_t index = 0; index < cases.size(); ++index) {
        const Case &testCase = cases[index];
        SCOPED_TRACE(::testing::Message() << "case " << index << " at " << testCase.keyPath);
        const TovraJsonError error = requestDecodingError(testCase.object);
        EXPECT_EQ(error.kind(), testCase.kind);
        EXPECT_EQ(error.keyPath(), QString::fromLatin1(testCase.keyPath));
        if (testCase.description) {
            EXPECT_EQ(error.localizedDescription(), QString::fromLatin1(testCase.description));
        }
    }
}

TEST(ResolverRequest, ProbeFindsAWellFormedTopLevelRequestIdEvenWhenDecodingFails)
{
    QJsonObject undecodable = withValue("foo", 1);
    undecodable.insert("type", "Bogus");
    const QByteArray undecodableBytes = QJsonDocument(undecodable).toJson(QJsonDocument::Compact);
    ASSERT_THROW(TovraJson::decode<ResolverRequest>(undecodableBytes), TovraJsonError);

    const std::vector<std::pair<QByteArray, std::optional<QUuid>>> cases {
        { undecodableBytes, requestId },
        { R"({"requestId":"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B"})", requestId },
        { "", std::nullopt },
        { "not json", std::nullopt },
        { R"({"requestId":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b")", std::nullopt },
        { R"(["6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"])", std::nullopt },
        { R"("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b")", std::nullopt },
        { R"({"requestId":42})", std::nullopt },
        { R"({"requestId":null})", std::nullopt },
        { R"({"requestId":"6f1c2a3b-4d5e-4f60-8a7b"})", std::nullopt },
        { R"({"requestId":"{6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b}"})", std::nullopt },
        { R"({"requestID":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"})", std::nullopt },
        { R"({"request":{"requestId":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"}})", std::nullopt },
    };
    for (const auto &[message, expected] : cases) {
        SCOPED_TRACE(message.toStdString());
        EXPECT_EQ(ResolverRequest::probeRequestID(message), expected);
    }
}

} // namespace tovra
