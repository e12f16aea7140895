#include "HostProcess.h"
#include "XclipClipboardOwner.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using tovra::testing::frameHeader;
using tovra::testing::HostProcess;
using tovra::testing::XclipClipboardOwner;

namespace {

const QString executable = QStringLiteral(TOVRA_EXECUTABLE);

QByteArray capture(const QString &requestId, const QString &text,
    const QString &url = "https://news.example.org/story", bool incognito = false)
{
    QJsonObject payload { { "url", url }, { "title", "Story" }, { "selectedText", text } };
    if (incognito) {
        payload.insert("isIncognito", true);
    }
    return QJsonDocument(QJsonObject { { "schemaVersion", 1 }, { "type", "capture_source" },
                             { "requestId", requestId }, { "payload", payload } })
        .toJson(QJsonDocument::Compact);
}

QByteArray status(const QString &requestId)
{
    return R"({"schemaVersion":1,"type":"get_status","requestId":")" + requestId.toLatin1() + R"("})";
}

QString requestId(int number)
{
    return QStringLiteral("5e0c1d2a-3b4c-4d5e-8f60-%1").arg(number, 12, 10, QLatin1Char('0'));
}

// A stored capture's bytes, with the parts the host chooses (source id,
// expiry) matched by pattern.
bool isStoredResponse(const QByteArray &message, const QString &id)
{
    const QRegularExpression pattern(QStringLiteral(
        R"(^\{"expiresAt":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","ok":true,"requestId":"%1",)"
        R"("schemaVersion":1,"sourceId":"[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}",)"
        R"("status":"stored","type":"capture_result"\}$)")
                                         .arg(id));
    return pattern.match(QString::fromUtf8(message)).hasMatch();
}

QByteArray rejected(const QString &id, const QString &reason)
{
    return QStringLiteral(
        R"({"ok":true,"reason":"%1","requestId":"%2","schemaVersion":1,"status":"rejected",)"
        R"("type":"capture_result"})")
        .arg(reason, id)
        .toUtf8();
}

QByteArray statusResponse(const QString &id, int pending)
{
    return QStringLiteral(
        R"({"ledgerVersion":1,"ok":true,"paused":false,"pendingSourceCount":%1,"requestId":"%2",)"
        R"("schemaVersion":1,"type":"status"})")
        .arg(pending)
        .arg(id)
        .toUtf8();
}

QByteArray frame(const QByteArray &message)
{
    return frameHeader(quint32(message.size())) + message;
}

class NativeHostProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::exists(executable)) << executable.toStdString();
        environment.remove("TOVRA_NATIVE_HOST_MODE");
        environment.insert("TOVRA_TESTING", "1");
        environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString(64, 'a'));
        environment.insert("TOVRA_LEDGER_PATH", folder.filePath("ledger/ledger.json.enc"));
        hostEnvironment = environment;
        hostEnvironment.insert("TOVRA_NATIVE_HOST_MODE", "1");
    }

    std::unique_ptr<HostProcess> startHost()
    {
        return std::make_unique<HostProcess>(executable, QStringList {}, hostEnvironment);
    }

    // One get_status in a run of its own: what a later browser request sees.
    int pendingSourcesSeenLater()
    {
        HostProcess host(executable, {}, hostEnvironment);
        host.send(status(requestId(999)));
        const std::optional<QByteArray> response = host.receive();
        EXPECT_EQ(host.finish(), 0);
        return response ? QJsonDocument::fromJson(*response).object().value("pendingSourceCount").toInt(-1)
                        : -1;
    }

    QTemporaryDir folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment hostEnvironment;
};

} // namespace

// The environment variable selects host mode; the host answers while its input
// stays open, never waiting for more than one frame.
TEST_F(NativeHostProcessTest, TwoCapturesInOneRunAreStoredAndCounted)
{
    auto firstCopy = std::make_unique<XclipClipboardOwner>(QByteArray("The first quoted sentence."));
    ASSERT_TRUE(firstCopy->isOwning());
    auto host = startHost();

    host->send(capture(requestId(1), "The first quoted sentence."));
    const std::optional<QByteArray> first = host->receive();
    ASSERT_TRUE(first.has_value()) << host->standardError().constData();
    EXPECT_TRUE(isStoredResponse(*first, requestId(1))) << first->constData();

    // The user copies something else on another page.
    firstCopy.reset();
    XclipClipboardOwner secondCopy("第二段引用的文字。");
    ASSERT_TRUE(secondCopy.isOwning());
    host->send(capture(requestId(2), "第二段引用的文字。", "https://zh.example.org/文章"));
    const std::optional<QByteArray> second = host->receive();
    ASSERT_TRUE(second.has_value());
    EXPECT_TRUE(isStoredResponse(*second, requestId(2))) << second->constData();
    EXPECT_NE(QJsonDocument::fromJson(*first).object().value("sourceId"),
        QJsonDocument::fromJson(*second).object().value("sourceId"));

    EXPECT_EQ(host->finish(), 0);
    EXPECT_TRUE(host->unreadOutput().isEmpty());
    EXPECT_EQ(pendingSourcesSeenLater(), 2);
}

// The whole standard output, frame headers included, and the exit status for
// each way of starting the program.
TEST_F(NativeHostProcessTest, EachWayOfStartingGivesTheExactOutputAndStatus)
{
    const QString renamed = folder.filePath("bin/TovraNativeHost");
    ASSERT_TRUE(QDir().mkpath(folder.filePath("bin")));
    ASSERT_TRUE(QFile::link(executable, renamed));
    // A GUI application would abort without a display; the host must not.
    QProcessEnvironment noDisplay = hostEnvironment;
    noDisplay.remove("DISPLAY");
    noDisplay.insert("QT_QPA_PLATFORM", "xcb");
    QProcessEnvironment appWithoutDisplay = environment;
    appWithoutDisplay.remove("DISPLAY");

    const struct {
        const char *name;
        QString program;
        QStringList arguments;
        QProcessEnvironment environment;
        QByteArray input;
        QByteArray output;
        int exitStatus;
    } cases[] = {
        { "origin argument, get_status", executable,
            { "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" }, environment,
            frame(status(requestId(3))), frame(statusResponse(requestId(3), 0)), 0 },
        { "host name, unknown key ends the run", renamed, {}, environment,
            frame(R"({"schemaVersion":1,"type":"get_status","requestId":")" + requestId(4).toLatin1()
                + R"(","extra":true})")
                + frame(status(requestId(5))),
            frame(R"({"code":"malformed_request","message":"Unknown keys: extra","ok":false,"requestId":")"
                + requestId(4).toLatin1() + R"(","schemaVersion":1,"type":"error"})"),
            1 },
        { "length over the limit, body never read", executable, {}, hostEnvironment, frameHeader(1048577),
            frame(R"({"code":"message_too_large","message":"Message of 1048577 bytes exceeds the limit of )"
                  R"(1048576 bytes.","ok":false,"schemaVersion":1,"type":"error"})"),
            1 },
        { "frame cut short by the end of input", executable, {}, hostEnvironment,
            frameHeader(200) + R"({"schemaVersion":1,"type":"get_st)",
            frame(
                R"({"code":"malformed_request","message":"The input ended inside a message after 33 of 200 )"
                R"(bytes.","ok":false,"schemaVersion":1,"type":"error"})"),
            1 },
        { "no display", executable, {}, noDisplay, frame(capture(requestId(10), "anything")),
            frame(rejected(requestId(10), "clipboardUnavailable")), 0 },
        { "no trigger: the app, which without a display says so and ends", executable, { "--some-option" },
            appWithoutDisplay, frame(status(requestId(11))), {}, 1 },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        HostProcess host(testCase.program, testCase.arguments, testCase.environment);
        host.write(testCase.input);
        EXPECT_EQ(host.finish(), testCase.exitStatus);
        EXPECT_EQ(host.unreadOutput(), testCase.output) << host.standardError().constData();
    }
}

TEST_F(NativeHostProcessTest, RefusalsByPolicyKeepTheConversationGoing)
{
    XclipClipboardOwner copy("What the user really copied");
    ASSERT_TRUE(copy.isOwning());
    auto host = startHost();

    host->send(capture(requestId(6), "Text the page claims"));
    EXPECT_EQ(host->receive(), rejected(requestId(6), "clipboardMismatch"));
    host->send(capture(requestId(7), "What the user really copied", "https://private.example.org", true));
    EXPECT_EQ(host->receive(), rejected(requestId(7), "incognito"));
    host->send(capture(requestId(8), "What the user really copied", "javascript:alert(1)"));
    EXPECT_EQ(host->receive(), rejected(requestId(8), "invalidURL"));
    host->send(status(requestId(9)));
    EXPECT_EQ(host->receive(), statusResponse(requestId(9), 0));
    EXPECT_EQ(host->finish(), 0);
}

TEST_F(NativeHostProcessTest, ConcurrentHostsAgainstOneLedgerLoseNoCapture)
{
    XclipClipboardOwner copy("Shared paragraph copied in several tabs");
    ASSERT_TRUE(copy.isOwning());

    constexpr int hostCount = 6;
    constexpr int capturesPerHost = 4;
    std::vector<std::unique_ptr<HostProcess>> hosts;
    for (int index = 0; index < hostCount; ++index) {
        hosts.push_back(startHost());
    }
    // Every host gets all its requests before any answer is read, so their
    // ledger changes overlap.
    for (int number = 0; number < hostCount * capturesPerHost; ++number) {
        hosts[size_t(number / capturesPerHost)]->send(
            capture(requestId(100 + number), "Shared paragraph copied in several tabs"));
    }
    for (int index = 0; index < hostCount; ++index) {
        EXPECT_EQ(hosts[size_t(index)]->finish(), 0);
        int answered = 0;
        while (const std::optional<QByteArray> response = hosts[size_t(index)]->receive()) {
            EXPECT_TRUE(isStoredResponse(*response, requestId(100 + index * capturesPerHost + answered)))
                << response->constData();
            ++answered;
        }
        EXPECT_EQ(answered, capturesPerHost);
    }
    EXPECT_EQ(pendingSourcesSeenLater(), hostCount * capturesPerHost);
}
