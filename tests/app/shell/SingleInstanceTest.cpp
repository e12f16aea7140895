#include "app/shell/SingleInstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tovra::app::SingleInstance;

TEST(SingleInstance, AMessageCarriesTheLinksInOrderAndAnythingElseIsRefused)
{
    const SingleInstance::Request request {
        { QUrl(QStringLiteral("tovra://trace/8c1d6b9e-2f4a-4c3e-9b7a-0d5e6f7a8b9c")), QUrl(QStringLiteral("tovra://open")) }
    };
    EXPECT_EQ(SingleInstance::decode(SingleInstance::encode(request)), request);
    EXPECT_EQ(SingleInstance::decode(SingleInstance::encode({})), SingleInstance::Request {});
    for (const char *message : { "", "[]", "{}", R"({"urls":"tovra://open"})", R"({"urls":[1]})",
             R"({"urls":[],"extra":true})", "{\"urls\":[" })
        EXPECT_FALSE(SingleInstance::decode(QByteArray(message)).has_value()) << message;
}

TEST(SingleInstance, ALaterStartHandsItsLinksToTheRunningOneAndNoneAnswersWithoutIt)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("runtime/tovra/app.sock"));
    const SingleInstance later(path);
    EXPECT_FALSE(later.forwardToRunningInstance({}));

    SingleInstance running(path);
    ASSERT_TRUE(running.listen());
    QSignalSpy requested(&running, &SingleInstance::requested);
    const SingleInstance::Request reopen {};
    const SingleInstance::Request links { { QUrl(QStringLiteral("tovra://open")) } };
    EXPECT_TRUE(later.forwardToRunningInstance(reopen));
    EXPECT_TRUE(later.forwardToRunningInstance(links));
    ASSERT_TRUE(requested.wait(5000));
    while (requested.size() < 2 && requested.wait(5000)) { }
    ASSERT_EQ(requested.size(), 2);
    EXPECT_EQ(requested.at(0).at(0).value<SingleInstance::Request>(), reopen);
    EXPECT_EQ(requested.at(1).at(0).value<SingleInstance::Request>(), links);
}

TEST(SingleInstance, ASocketLeftByAnEndedAppIsReplaced)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tovra/app.sock"));
    {
        SingleInstance ended(path);
        ASSERT_TRUE(ended.listen());
    }
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance next(path);
    EXPECT_TRUE(next.listen());
}
