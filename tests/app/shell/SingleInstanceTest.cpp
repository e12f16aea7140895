#include "app/shell/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using tovra::app::SingleInstance;

TEST(SingleInstance, AMessageCarriesTheLinksInOrderAndAnythingElseIsRefused)
{
    const SingleInstance::Request request {
        { QUrl(QStringLiteral("tovra://trace/8c1d6b9e-2f4a-4c3e-9b7a-0d5e6f7a8b9c")),
            QUrl(QStringLiteral("tovra://open")) }
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

namespace {

QString folderOf(const QString &socketPath)
{
    return QFileInfo(socketPath).absolutePath();
}

} // namespace

TEST(SingleInstance, AFolderThatIsASymbolicLinkIsRefusedAndNothingIsMadeWhereItPoints)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("elsewhere")));
    ASSERT_TRUE(
        QFile::link(root.filePath(QStringLiteral("elsewhere")), root.filePath(QStringLiteral("tovra-1000"))));
    SingleInstance instance(root.filePath(QStringLiteral("tovra-1000/app.sock")));

    const SingleInstance::Start start = instance.start({});
    EXPECT_EQ(start.outcome, SingleInstance::Start::Outcome::refused);
    EXPECT_TRUE(start.problem.contains(QStringLiteral("symbolic link"))) << start.problem.toStdString();
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("elsewhere"))).isEmpty());
    EXPECT_FALSE(instance.forwardToRunningInstance({}, std::chrono::milliseconds(100)));
}

TEST(SingleInstance, AFolderOfAnotherUserIsRefused)
{
    QTemporaryDir root;
    SingleInstance instance(root.filePath(QStringLiteral("tovra/app.sock")), ::getuid() + 1);
    const SingleInstance::Start start = instance.start({});
    EXPECT_EQ(start.outcome, SingleInstance::Start::Outcome::refused);
    EXPECT_TRUE(start.problem.contains(QStringLiteral("belongs to user"))) << start.problem.toStdString();
    EXPECT_FALSE(instance.holdsLock());
}

TEST(SingleInstance, AFolderOpenToOthersIsMadePrivateBeforeTheAppListens)
{
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("tovra/app.sock"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folderOf(path)).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(folderOf(path)).constData(), 0777), 0);
    SingleInstance instance(path);
    EXPECT_EQ(instance.start({}).outcome, SingleInstance::Start::Outcome::runsTheApp);
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(folderOf(path)).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
}

TEST(SingleInstance, APeerIsHeardOnlyWhenItRunsAsTheUser)
{
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    EXPECT_TRUE(SingleInstance::isPeerOf(fds[0], ::getuid()));
    EXPECT_FALSE(SingleInstance::isPeerOf(fds[0], ::getuid() + 1));
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_FALSE(SingleInstance::isPeerOf(-1, ::getuid()));
}

TEST(SingleInstance, TheLockNotTheSocketSaysThatAnAppRuns)
{
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("tovra/app.sock"));
    SingleInstance running(path);
    // Holds the lock but does not listen yet, as an app that is starting.
    ASSERT_TRUE(running.claim());

    SingleInstance later(path);
    EXPECT_FALSE(later.claim());
    const SingleInstance::Forwarding forwarding
        = later.forwardToRunningInstance({}, std::chrono::milliseconds(200));
    EXPECT_EQ(forwarding.outcome, SingleInstance::Forwarding::Outcome::failed);
    EXPECT_FALSE(later.listen());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(SingleInstance, LinksBeyondTheMessageLimitAreNotHandedOnAndTheStartSaysSo)
{
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("tovra/app.sock"));
    SingleInstance running(path);
    ASSERT_TRUE(running.listen());
    QSignalSpy requested(&running, &SingleInstance::requested);

    SingleInstance::Request tooLong;
    for (int index = 0; index < 2000; ++index)
        tooLong.urls.append(
            QUrl(QStringLiteral("tovra://trace/") + QUuid::createUuid().toString(QUuid::WithoutBraces)));
    ASSERT_GT(SingleInstance::encode(tooLong).size(), SingleInstance::maximumMessageBytes);

    SingleInstance later(path);
    const SingleInstance::Start start = later.start(tooLong);
    EXPECT_EQ(start.outcome, SingleInstance::Start::Outcome::refused);
    EXPECT_TRUE(start.problem.contains(QStringLiteral("none were handed on"))) << start.problem.toStdString();
    EXPECT_FALSE(requested.wait(200));
}
