#include "core/resolver/ResolverRequest.h"
#include "core/records/TovraJsonError.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace tovra {

namespace {

const QUuid requestId = QUuid::fromString(QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"));
const QUuid sessionId = QUuid::fromString(QStringLiteral("11111111-2222-4333-8444-555555555555"));
const QUuid resolutionId = QUuid::fromString(QStringLiteral("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee"));

QJsonObject minimalRequestObject()
{
    return QJsonObject {
        { QStringLiteral("protocol"), QStringLiteral("tovra.resolver.v1") },
        { QStringLiteral("type"), QStringLiteral("resolvePaste") },
        { QStringLiteral("requestId"), QStringLiteral("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b") },
    };
}

QByteArray bytes(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Decodes and returns the error it must fail with.
TovraJsonError requestDecodingError(const QJsonObject &object)
{
    try {
        fromJson<ResolverRequest>(object);
    } catch (const TovraJsonError &error) {
        return error;
    }
    ADD_FAILURE() << "decoding succeeded: " << bytes(object).toStdString();
    return TovraJsonError::invalidJson(QStringLiteral("no failure"), 0);
}

ResolverRequest fullRequest()
{
    return ResolverRequest(QStringLiteral("tovra.resolver.v1"), ResolverRequestType::editorInserted,
        requestId, ResolverPluginIdentity { QStringLiteral("tovra-obsidian"), QStringLiteral("1.2.0") },
        sessionId, QStringLiteral("bm9uY2U="), QStringLiteral("obsidian-editor"),
        QStringLiteral("text/plain"),
        ResolverContentProof { QStringLiteral("hmac-sha256"), QStringLiteral("c2lnbmF0dXJl") }, resolutionId,
        CitationFormat::inline_);
}

} // namespace

TEST(ResolverProtocolV1, ConstantsAndCaseNames)
{
    EXPECT_EQ(QString(ResolverProtocolV1::identifier), QStringLiteral("tovra.resolver.v1"));
    EXPECT_EQ(ResolverProtocolV1::maximumMessageBytes, 65536);
    EXPECT_EQ(ResolverProtocolV1::resolutionLifetime, std::chrono::seconds(3));
    EXPECT_EQ(QString(ResolverProtocolV1::pluginIdentifier), QStringLiteral("tovra-obsidian"));

    QStringList typeNames;
    for (const auto type : allCases<ResolverRequestType>())
        typeNames.append(enumName(type));
    EXPECT_EQ(typeNames,
        (QStringList { "hello", "resolvePaste", "editorInserted", "plainTextInserted", "heartbeat" }));
    EXPECT_EQ(enumName(ResolverSourceKind::application), QStringLiteral("application"));
    EXPECT_EQ(enumName(ResolverNoCitationReason::sourceNotLinkable), QStringLiteral("sourceNotLinkable"));
}

TEST(ResolverRequest, ThreeRequiredKeysDecodeAndEncodeBackToExactlyThoseKeys)
{
    const auto request = fromJson<ResolverRequest>(minimalRequestObject());
    EXPECT_EQ(request.protocol, QStringLiteral("tovra.resolver.v1"));
    EXPECT_EQ(request.type, ResolverRequestType::resolvePaste);
    EXPECT_EQ(request.requestId, requestId);
    EXPECT_EQ(request.plugin, std::nullopt);
    EXPECT_EQ(request.sessionId, std::nullopt);
    EXPECT_EQ(request.sessionNonce, std::nullopt);
    EXPECT_EQ(request.adapter, std::nullopt);
    EXPECT_EQ(request.mime, std::nullopt);
    EXPECT_EQ(request.contentProof, std::nullopt);
    EXPECT_EQ(request.resolutionId, std::nullopt);
    EXPECT_EQ(request.format, std::nullopt);

    EXPECT_EQ(toJson(request), minimalRequestObject());
    const ResolverRequest built { QStringLiteral("tovra.resolver.v1"), ResolverRequestType::resolvePaste,
        requestId };
    EXPECT_EQ(built, request);
}

TEST(ResolverRequest, EveryFieldRoundTripsUnderItsKey)
{
    const ResolverRequest request = fullRequest();
    const QJsonObject encoded = toJson(request);
    QStringList expectedKeys = ResolverRequest::allowedKeys().values();
    expectedKeys.sort();
    EXPECT_EQ(encoded.keys(), expectedKeys);
    EXPECT_EQ(expectedKeys.size(), 11);
    EXPECT_EQ(encoded.value("format").toString(), QStringLiteral("inline"));
    EXPECT_EQ(encoded.value("type").toString(), QStringLiteral("editorInserted"));
    EXPECT_EQ(encoded.value("sessionId").toString(), QStringLiteral("11111111-2222-4333-8444-555555555555"));
    EXPECT_EQ(encoded.value("plugin").toObject(),
        (QJsonObject { { "id", "tovra-obsidian" }, { "version", "1.2.0" } }));
    EXPECT_EQ(encoded.value("contentProof").toObject(),
        (QJsonObject { { "algorithm", "hmac-sha256" }, { "value", "c2lnbmF0dXJl" } }));

    EXPECT_EQ(TovraJson::decode<ResolverRequest>(TovraJson::encode(request)), request);
}

TEST(ResolverRequest, UnknownKeysAreListedSorted)
{
    QJsonObject oneExtra = minimalRequestObject();
    oneExtra.insert("foo", 1);
    const TovraJsonError single = requestDecodingError(oneExtra);
    EXPECT_EQ(single.kind(), TovraJsonError::Kind::unknownKeys);
    EXPECT_EQ(single.localizedDescription(), QStringLiteral("Unknown keys: foo"));
    EXPECT_EQ(single.keyPath(), QString());

    QJsonObject twoExtra = minimalRequestObject();
    twoExtra.insert("zeta", true);
    twoExtra.insert("alpha", QJsonValue::Null);
    EXPECT_EQ(
        requestDecodingError(twoExtra).localizedDescription(), QStringLiteral("Unknown keys: alpha, zeta"));
}

TEST(ResolverRequest, UnknownKeysAreFoundBeforeAnyFieldIsRead)
{
    const TovraJsonError error = requestDecodingError(QJsonObject { { "foo", 1 } });
    EXPECT_EQ(error.kind(), TovraJsonError::Kind::unknownKeys);
    EXPECT_EQ(error.localizedDescription(), QStringLiteral("Unknown keys: foo"));
}

TEST(ResolverRequest, UnknownKeysInsideNestedObjectsFailTheWholeRequest)
{
    QJsonObject withPlugin = minimalRequestObject();
    withPlugin.insert(
        "plugin", QJsonObject { { "id", "tovra-obsidian" }, { "version", "1" }, { "build", 7 } });
    const TovraJsonError pluginError = requestDecodingError(withPlugin);
    EXPECT_EQ(pluginError.kind(), TovraJsonError::Kind::unknownKeys);
    EXPECT_EQ(pluginError.localizedDescription(), QStringLiteral("Unknown keys: build"));
    EXPECT_EQ(pluginError.keyPath(), QStringLiteral("plugin"));

    QJsonObject withProof = minimalRequestObject();
    withProof.insert("contentProof",
        QJsonObject { { "algorithm", "a" }, { "value", "v" }, { "salt", "s" }, { "extra", 1 } });
    const TovraJsonError proofError = requestDecodingError(withProof);
    EXPECT_EQ(proofError.localizedDescription(), QStringLiteral("Unknown keys: extra, salt"));
    EXPECT_EQ(proofError.keyPath(), QStringLiteral("contentProof"));
}

TEST(ResolverRequest, NestedObjectsNeedBothOfTheirFields)
{
    QJsonObject withPlugin = minimalRequestObject();
    withPlugin.insert("plugin", QJsonObject { { "id", "tovra-obsidian" } });
    const TovraJsonError missingVersion = requestDecodingError(withPlugin);
    EXPECT_EQ(missingVersion.kind(), TovraJsonError::Kind::missingKey);
    EXPECT_EQ(missingVersion.keyPath(), QStringLiteral("plugin.version"));

    QJsonObject withProof = minimalRequestObject();
    withProof.insert("contentProof", QJsonObject { { "algorithm", "a" }, { "value", 5 } });
    const TovraJsonError wrongType = requestDecodingError(withProof);
    EXPECT_EQ(wrongType.kind(), TovraJsonError::Kind::typeMismatch);
    EXPECT_EQ(wrongType.keyPath(), QStringLiteral("contentProof.value"));

    QJsonObject pluginNotObject = minimalRequestObject();
    pluginNotObject.insert("plugin", "tovra-obsidian");
    EXPECT_EQ(requestDecodingError(pluginNotObject).kind(), TovraJsonError::Kind::typeMismatch);
}

TEST(ResolverRequest, ProtocolValueIsNotCheckedByTheDecoder)
{
    QJsonObject object = minimalRequestObject();
    object.insert("protocol", "tovra.resolver.v9");
    EXPECT_EQ(fromJson<ResolverRequest>(object).protocol, QStringLiteral("tovra.resolver.v9"));
}

TEST(ResolverRequest, TypeMustBeAnExactCaseName)
{
    for (const auto type : allCases<ResolverRequestType>()) {
        QJsonObject object = minimalRequestObject();
        object.insert("type", enumName(type));
        EXPECT_EQ(fromJson<ResolverRequest>(object).type, type);
    }
    for (const char *wrong : { "ResolvePaste", "resolvepaste", "HELLO", "resolve_paste", "" }) {
        SCOPED_TRACE(wrong);
        QJsonObject object = minimalRequestObject();
        object.insert("type", wrong);
        const TovraJsonError error = requestDecodingError(object);
        EXPECT_EQ(error.kind(), TovraJsonError::Kind::invalidValue);
        EXPECT_EQ(error.keyPath(), QStringLiteral("type"));
    }
    QJsonObject formatCapitalised = minimalRequestObject();
    formatCapitalised.insert("format", "Footnote");
    EXPECT_EQ(requestDecodingError(formatCapitalised).keyPath(), QStringLiteral("format"));
}

TEST(ResolverRequest, NullOptionalFieldsDecodeAsAbsent)
{
    QJsonObject object = minimalRequestObject();
    for (const char *key : { "resolutionId", "plugin", "sessionId", "sessionNonce", "adapter", "mime",
             "contentProof", "format" })
        object.insert(key, QJsonValue::Null);
    const auto request = fromJson<ResolverRequest>(object);
    EXPECT_EQ(request, fromJson<ResolverRequest>(minimalRequestObject()));
    EXPECT_EQ(toJson(request), minimalRequestObject());
}

TEST(ResolverRequest, RequiredFieldsMustBePresentAndWellTyped)
{
    struct Case {
        const char *name;
        const char *key;
        QJsonValue value; // undefined removes the key
        TovraJsonError::Kind kind;
    };
    const std::vector<Case> cases {
        { "protocol missing", "protocol", QJsonValue::Undefined, TovraJsonError::Kind::missingKey },
        { "protocol null", "protocol", QJsonValue::Null, TovraJsonError::Kind::typeMismatch },
        { "requestId null", "requestId", QJsonValue::Null, TovraJsonError::Kind::typeMismatch },
        { "protocol a number", "protocol", 1, TovraJsonError::Kind::typeMismatch },
        { "type missing", "type", QJsonValue::Undefined, TovraJsonError::Kind::missingKey },
        { "type an array", "type", QJsonArray { "hello" }, TovraJsonError::Kind::typeMismatch },
        { "requestId missing", "requestId", QJsonValue::Undefined, TovraJsonError::Kind::missingKey },
        { "requestId a number", "requestId", 42, TovraJsonError::Kind::typeMismatch },
        { "requestId malformed", "requestId", "6f1c2a3b-4d5e-4f60-8a7b", TovraJsonError::Kind::invalidValue },
        { "sessionId malformed", "sessionId", "not-a-uuid", TovraJsonError::Kind::invalidValue },
        { "sessionNonce a number", "sessionNonce", 3, TovraJsonError::Kind::typeMismatch },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        QJsonObject object = minimalRequestObject();
        if (testCase.value.isUndefined())
            object.remove(testCase.key);
        else
            object.insert(testCase.key, testCase.value);
        const TovraJsonError error = requestDecodingError(object);
        EXPECT_EQ(error.kind(), testCase.kind);
        EXPECT_EQ(error.keyPath(), QString::fromLatin1(testCase.key));
    }
}

TEST(ResolverRequest, ProbeFindsTheRequestIdentifierEvenWhenDecodingFails)
{
    QJsonObject unknownKey = minimalRequestObject();
    unknownKey.insert("foo", 1);
    unknownKey.insert("type", "Bogus");
    EXPECT_THROW(TovraJson::decode<ResolverRequest>(bytes(unknownKey)), TovraJsonError);
    EXPECT_EQ(ResolverRequest::probeRequestID(bytes(unknownKey)), requestId);

    EXPECT_EQ(ResolverRequest::probeRequestID(R"({"requestId":"6F1C2A3B-4D5E-4F60-8A7B-9C0D1E2F3A4B"})"),
        requestId);
}

TEST(ResolverRequest, ProbeGivesNothingWithoutAUsableIdentifier)
{
    const std::vector<QByteArray> messages {
        "",
        "not json",
        R"({"requestId":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b")",
        R"(["6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"])",
        R"("6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b")",
        R"({"requestId":42})",
        R"({"requestId":null})",
        R"({"requestId":"6f1c2a3b-4d5e-4f60-8a7b"})",
        R"({"requestId":"{6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b}"})",
        R"({"requestID":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"})",
        R"({"request":{"requestId":"6f1c2a3b-4d5e-4f60-8a7b-9c0d1e2f3a4b"}})",
    };
    for (const QByteArray &message : messages) {
        SCOPED_TRACE(message.toStdString());
        EXPECT_EQ(ResolverRequest::probeRequestID(message), std::nullopt);
    }
}

} // namespace tovra
