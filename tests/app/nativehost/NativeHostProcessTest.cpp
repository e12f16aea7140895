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
const QString testKey = QStringLiteral("7f3a9c21e4b85d06a1c3e5f7092b4d6f8a0c2e4f6081a3c5e7f90b2d4f6a8c0e");
const QString uuidPattern = QStringLiteral("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
const QString datePattern = QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z");

QByteArray capture(const QString &requestId, const QString &text,
    const QString &url = "https://news.example.org/story", std::optional<bool> incognito = std::nullopt)
{
    QJsonObject payload { { "url", url }, { "title", "Story" }, { "selectedText", text } };
    if (incognito) {
        payload.insert("isIncognito", *incognito);
    }
    return QJsonDocument(QJsonObject {
                             { "schemaVersion", 1 },
                             { "type", "capture_source" },
                             { "requestId", requestId },
                             { "payload", payload },
                         })
        .toJson(QJsonDocument::Compact);
}

QByteArray status(const QString &requestId)
{
    return QByteArray(R"({"schemaVersion":1,"type":"get_status","requestId":")") + requestId.toLatin1()
        + QByteArray(R"("})");
}

QString requestId(int number)
{
    return QStringLiteral("5e0c1d2a-3b4c-4d5e-8f60-%1").arg(number, 12, 10, QLatin1Char('0'));
}

// The bytes a stored capture must be, with the parts the host chooses
// (source id, expiry) matched by pattern.
bool isStoredResponse(const QByteArray &message, const QString &id)
{
    const QRegularExpression pattern(
        QStringLiteral("^\\{\"expiresAt\":\"%1\",\"ok\":true,\"requestId\":\"%2\","
                       "\"schemaVersion\":1,\"sourceId\":\"%3\",\"status\":\"stored\","
                       "\"type\":\"capture_result\"\\}$")
            .arg(datePattern, id, uuidPattern));
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

class NativeHostProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(QFile::exists(executable)) << executable.toStdString();
        baseEnvironment = QProcessEnvironment::systemEnvironment();
        baseEnvironment.remove("TOVRA_NATIVE_HOST_MODE");
        baseEnvironment.insert("TOVRA_TESTING", "1");
        baseEnvironment.insert("TOVRA_TEST_MASTER_KEY_HEX", testKey);
        baseEnvironment.insert("TOVRA_LEDGER_PATH", folder.filePath("ledger/ledger.json.enc"));
        hostEnvironment = baseEnvironment;
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
    QProcessEnvironment baseEnvironment;
    QProcessEnvironment hostEnvironment;
};

} // namespace

TEST_F(NativeHostProcessTest, TwoCapturesInOneRunAreStoredAndCounted)
{
    auto firstCopy = std::make_unique<XclipClipboardOwner>(QByteArray("The first quoted sentence."));
    ASSERT_TRUE(firstCopy->isOwning());
    auto host = startHost();

    host->send(capture(requestId(1), "The first quoted sentence."));
    QByteArray header;
    const std::optional<QByteArray> first = host->receive(&header);
    ASSERT_TRUE(first.has_value()) << host->standardError().constData();
    EXPECT_TRUE(isStoredResponse(*first, requestId(1))) << first->constData();
    EXPECT_EQ(header, frameHeader(quint32(first->size())));

    // The host answered while its input stayed open: it never waits for more
    // than one frame. Now the user copies something else on another page.
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

TEST_F(NativeHostProcessTest, AChromeExtensionArgumentSelectsHostModeForStatus)
{
    HostProcess host(executable, { "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" }, baseEnvironment);
    host.send(status(requestId(3)));
    QByteArray header;
    const std::optional<QByteArray> response = host.receive(&header);
    ASSERT_TRUE(response.has_value()) << host.standardError().constData();
    EXPECT_EQ(*response, statusResponse(requestId(3), 0));
    EXPECT_EQ(header, frameHeader(quint32(response->size())));
    EXPECT_EQ(host.finish(), 0);
}

TEST_F(NativeHostProcessTest, TheTovraNativeHostNameSelectsHostModeAndUnknownKeysEndIt)
{
    const QString renamed = folder.filePath("bin/TovraNativeHost");
    ASSERT_TRUE(QDir().mkpath(folder.filePath("bin")));
    ASSERT_TRUE(QFile::link(executable, renamed));

    HostProcess host(renamed, {}, baseEnvironment);
    host.send(R"({"schemaVersion":1,"type":"get_status","requestId":")" + requestId(4).toLatin1()
        + R"(","extra":true})");
    host.send(status(requestId(5)));
    const std::optional<QByteArray> response = host.receive();
    ASSERT_TRUE(response.has_value()) << host.standardError().constData();
    EXPECT_EQ(*response,
        QByteArray(R"({"code":"malformed_request","message":"Unknown keys: extra","ok":false,"requestId":")")
            + requestId(4).toLatin1() + R"(","schemaVersion":1,"type":"error"})");
    EXPECT_EQ(host.finish(), 1);
    EXPECT_TRUE(host.unreadOutput().isEmpty()) << "the request after the error is not answered";
}

TEST_F(NativeHostProcessTest, AnOversizedLengthIsRefusedWithoutReadingTheBody)
{
    auto host = startHost();
    host->write(frameHeader(1048577));
    const std::optional<QByteArray> response = host->receive();
    ASSERT_TRUE(response.has_value());
    EXPECT_EQ(*response,
        QByteArray(R"({"code":"message_too_large","message":"Message of 1048577 bytes exceeds the limit of )"
                   R"(1048576 bytes.","ok":false,"schemaVersion":1,"type":"error"})"));
    EXPECT_EQ(host->finish(), 1);
}

TEST_F(NativeHostProcessTest, AFrameCutShortByTheEndOfInputIsMalformed)
{
    auto host = startHost();
    host->write(frameHeader(200) + R"({"schemaVersion":1,"type":"get_st)");
    EXPECT_EQ(host->finish(), 1);
    const std::optional<QByteArray> response = host->receive();
    ASSERT_TRUE(response.has_value());
    EXPECT_EQ(*response,
        QByteArray(
            R"({"code":"malformed_request","message":"The input ended inside a message after 33 of 200 )"
            R"(bytes.","ok":false,"schemaVersion":1,"type":"error"})"));
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

TEST_F(NativeHostProcessTest, WithoutADisplayTheHostRunsAndTheClipboardIsUnavailable)
{
    // A GUI application would abort without a display; the host must not.
    hostEnvironment.remove("DISPLAY");
    hostEnvironment.insert("QT_QPA_PLATFORM", "xcb");
    auto host = startHost();
    host->send(capture(requestId(10), "anything"));
    EXPECT_EQ(host->receive(), rejected(requestId(10), "clipboardUnavailable"));
    EXPECT_EQ(host->finish(), 0);
}

TEST_F(NativeHostProcessTest, WithoutAHostModeTriggerTheAppBranchRuns)
{
    HostProcess app(executable, { "--some-option" }, baseEnvironment);
    app.send(status(requestId(11)));
    EXPECT_EQ(app.finish(), 1);
    EXPECT_TRUE(app.unreadOutput().isEmpty()) << "the app branch never speaks the host protocol";
    EXPECT_TRUE(app.standardError().contains("not built yet"));

    hostEnvironment.insert("TOVRA_NATIVE_HOST_MODE", "0");
    HostProcess notHost(executable, {}, hostEnvironment);
    EXPECT_EQ(notHost.finish(), 1);
    EXPECT_TRUE(notHost.unreadOutput().isEmpty());
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
    for (int index = 0; index < hostCount; ++index) {
        for (int number = 0; number < capturesPerHost; ++number) {
            hosts[size_t(index)]->send(capture(requestId(100 + index * capturesPerHost + number),
                "Shared paragraph copied in several tabs"));
        }
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
