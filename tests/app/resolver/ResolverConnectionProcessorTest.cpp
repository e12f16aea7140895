#include "app/resolver/ResolverConnectionProcessor.h"
#include "app/data/UnavailableTovraDataStore.h"
#include "app/resolver/ObsidianResolutionCoordinator.h"
#include "app/resolver/ResolverEnvironmentProviding.h"
#include "core/records/TovraJson.h"
#include "core/resolver/ResolverResponses.h"

#include <QCoroTask>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace tovra {

class ResolverConnectionProcessorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_coordinator = std::make_shared<ObsidianResolutionCoordinator>(
            std::make_shared<app::UnavailableTovraDataStore>(QStringLiteral("no ledger in this test")),
            [](app::ProvenanceRecord) {});
        m_environment = std::make_shared<LiveResolverEnvironment>();
        m_processor = std::make_unique<ResolverConnectionProcessor>(m_coordinator, m_environment);
    }

    bool hasSession() const { return m_processor->m_session.has_value(); }
    const std::shared_ptr<ObsidianResolutionCoordinator> &heldCoordinator() const
    {
        return m_processor->m_coordinator;
    }
    const std::shared_ptr<ResolverEnvironmentProviding> &heldEnvironment() const
    {
        return m_processor->m_environment;
    }

    QByteArray process(const ResolverRequest &request)
    {
        return QCoro::waitFor(m_processor->process(request));
    }

    static ResolverRequest requestOfType(ResolverRequestType type)
    {
        return ResolverRequest(QString(ResolverProtocolV1::identifier), type, QUuid::createUuid());
    }

    std::shared_ptr<ObsidianResolutionCoordinator> m_coordinator;
    std::shared_ptr<ResolverEnvironmentProviding> m_environment;
    std::unique_ptr<ResolverConnectionProcessor> m_processor;
};

TEST_F(ResolverConnectionProcessorTest, StartsWithoutASessionAndKeepsWhatItWasGiven)
{
    EXPECT_FALSE(hasSession());
    EXPECT_EQ(heldCoordinator(), m_coordinator);
    EXPECT_EQ(heldEnvironment(), m_environment);
}

TEST_F(ResolverConnectionProcessorTest, EveryRequestTypeIsAnsweredWithAnUnsupportedRequestError)
{
    for (const ResolverRequestType type : allCases<ResolverRequestType>()) {
        SCOPED_TRACE(enumName(type).toStdString());
        const ResolverRequest request = requestOfType(type);

        const QByteArray answer = process(request);

        const QJsonObject object = TovraJson::decodeObject(answer);
        EXPECT_EQ(object.keys(),
            (QStringList { QStringLiteral("code"), QStringLiteral("message"), QStringLiteral("protocol"),
                QStringLiteral("requestId"), QStringLiteral("type") }));
        const auto response = TovraJson::decode<ResolverErrorResponse>(answer);
        EXPECT_EQ(response,
            ResolverErrorResponse(request.requestId, QStringLiteral("unsupported_request"),
                QStringLiteral("The request type \"%1\" is not supported in this version.")
                    .arg(enumName(type))));
        EXPECT_EQ(response.protocol, QStringLiteral("tovra.resolver.v1"));
        EXPECT_EQ(response.type, QStringLiteral("error"));
    }
    EXPECT_FALSE(hasSession());
}

TEST_F(ResolverConnectionProcessorTest, AnswersAFullyPopulatedRequestWithItsOwnIdentifier)
{
    const ResolverRequest request(QStringLiteral("some.other.protocol"), ResolverRequestType::editorInserted,
        QUuid::createUuid(),
        ResolverPluginIdentity { QStringLiteral("tovra-obsidian"), QStringLiteral("1.0.0") },
        QUuid::createUuid(), QStringLiteral("nonce"), QStringLiteral("markdown"),
        QStringLiteral("text/plain"),
        ResolverContentProof { QStringLiteral("hmac-sha256"), QStringLiteral("AAAA") }, QUuid::createUuid(),
        CitationFormat::footnote);

    const auto response = TovraJson::decode<ResolverErrorResponse>(process(request));

    EXPECT_EQ(response.requestId, request.requestId);
    EXPECT_NE(response.requestId, *request.sessionId);
    EXPECT_NE(response.requestId, *request.resolutionId);
    EXPECT_EQ(response.code, QStringLiteral("unsupported_request"));
    EXPECT_EQ(response.protocol, QStringLiteral("tovra.resolver.v1"));
}

TEST_F(ResolverConnectionProcessorTest, RequestsStartedTogetherAreEachAnsweredWithTheirOwnIdentifier)
{
    std::vector<QUuid> requestIDs;
    std::vector<QCoro::Task<QByteArray>> answers;
    for (int index = 0; index < 16; ++index) {
        // The request ends before its answer is awaited.
        const ResolverRequest request = requestOfType(ResolverRequestType::heartbeat);
        requestIDs.push_back(request.requestId);
        answers.push_back(m_processor->process(request));
    }
    for (std::size_t index = 0; index < answers.size(); ++index) {
        SCOPED_TRACE(index);
        const auto response
            = TovraJson::decode<ResolverErrorResponse>(QCoro::waitFor(std::move(answers[index])));
        EXPECT_EQ(response.requestId, requestIDs[index]);
    }
}

} // namespace tovra
