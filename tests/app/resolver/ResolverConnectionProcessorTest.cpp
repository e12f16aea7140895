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
    bool hasSession() const { return m_processor.m_session.has_value(); }

    ResolverConnectionProcessor m_processor { std::make_shared<ObsidianResolutionCoordinator>(
                                                  std::make_shared<app::UnavailableTovraDataStore>(
                                                      QStringLiteral("no ledger in this test")),
                                                  [](app::ProvenanceRecord) {}),
        std::make_shared<LiveResolverEnvironment>() };
};

TEST_F(ResolverConnectionProcessorTest, EveryRequestTypeIsAnsweredWithAnUnsupportedRequestError)
{
    for (const ResolverRequestType type : allCases<ResolverRequestType>()) {
        SCOPED_TRACE(enumName(type).toStdString());
        // Fully populated, so that no other identifier can pass for the request's.
        const ResolverRequest request(QStringLiteral("some.other.protocol"), type, QUuid::createUuid(),
            ResolverPluginIdentity { QStringLiteral("tovra-obsidian"), QStringLiteral("1.0.0") },
            QUuid::createUuid(), QStringLiteral("nonce"), QStringLiteral("markdown"),
            QStringLiteral("text/plain"),
            ResolverContentProof { QStringLiteral("hmac-sha256"), QStringLiteral("AAAA") },
            QUuid::createUuid(), CitationFormat::footnote);

        const QByteArray answer = QCoro::waitFor(m_processor.process(request));

        EXPECT_EQ(TovraJson::decodeObject(answer).keys(),
            (QStringList { "code", "message", "protocol", "requestId", "type" }));
        EXPECT_EQ(TovraJson::decode<ResolverErrorResponse>(answer),
            ResolverErrorResponse(request.requestId, QStringLiteral("unsupported_request"),
                QStringLiteral("The request type \"%1\" is not supported in this version.")
                    .arg(enumName(type))));
    }
    EXPECT_FALSE(hasSession());
}

TEST_F(ResolverConnectionProcessorTest, RequestsStartedTogetherAreEachAnsweredWithTheirOwnIdentifier)
{
    std::vector<QUuid> requestIDs;
    std::vector<QCoro::Task<QByteArray>> answers;
    for (int index = 0; index < 16; ++index) {
        // The request ends before its answer is awaited.
        const ResolverRequest request(
            QStringLiteral("tovra.resolver.v1"), ResolverRequestType::heartbeat, QUuid::createUuid());
        requestIDs.push_back(request.requestId);
        answers.push_back(m_processor.process(request));
    }
    for (std::size_t index = 0; index < answers.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(
            TovraJson::decode<ResolverErrorResponse>(QCoro::waitFor(std::move(answers[index]))).requestId,
            requestIDs[index]);
    }
}

} // namespace tovra
