#include "HostProcess.h"
#include "XclipClipboardOwner.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using tovra::testing::HostProcess;
using tovra::testing::XclipClipboardOwner;

namespace {

const QString executable = QStringLiteral(TOVRA_EXECUTABLE);

// The file names of everything the process has mapped, one per mapping.
QStringList mappedFiles(qint64 processId)
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(processId));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    QStringList files;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash >= 0)
            files.append(QString::fromLocal8Bit(line.mid(slash)));
    }
    return files;
}

bool anyContains(const QStringList &files, const QString &part)
{
    return std::any_of(files.begin(), files.end(), [&](const QString &file) { return file.contains(part); });
}

} // namespace

// The browser starts the host for every message: after a capture, which reads
// the X clipboard and writes the ledger, the host has mapped what that needs
// and no GUI, D-Bus or accessibility library, nor the app module, nor the
// keyring's libraries while it has not asked the keyring.
TEST(HostModeLibraries, AHostThatCapturedMapsNoGuiLibrary)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    XclipClipboardOwner copy("A sentence from a web page.");
    ASSERT_TRUE(copy.isOwning());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TOVRA_NATIVE_HOST_MODE", "1");
    environment.insert("TOVRA_TESTING", "1");
    environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString(64, 'b'));
    environment.insert("TOVRA_LEDGER_PATH", folder.filePath("ledger.json.enc"));

    HostProcess host(executable, {}, environment);
    host.send(
        R"({"schemaVersion":1,"type":"capture_source","requestId":"7a1b2c3d-4e5f-4a6b-8c7d-000000000001",)"
        R"("payload":{"url":"https://example.org/a","selectedText":"A sentence from a web page."}})");
    const std::optional<QByteArray> response = host.receive();
    ASSERT_TRUE(response.has_value()) << host.standardError().constData();
    ASSERT_TRUE(response->contains(R"("status":"stored")")) << response->constData();

    // The host now waits for the next message, with all it used still mapped.
    const QStringList files = mappedFiles(host.processId());
    EXPECT_TRUE(anyContains(files, QStringLiteral("libQt6Core.so")));
    EXPECT_TRUE(anyContains(files, QStringLiteral("libcrypto.so")));
    EXPECT_TRUE(anyContains(files, QStringLiteral("libX11.so")));
    for (const QString &gui : { QStringLiteral("libQt6Gui"), QStringLiteral("libQt6Widgets"),
             QStringLiteral("libQt6DBus"), QStringLiteral("libQt6Svg"), QStringLiteral("libQt6Network"),
             QStringLiteral("libatspi"), QStringLiteral("libxcb-"), QStringLiteral("tovra-app.so"),
             // The key comes from the environment here: the keyring is never asked.
             QStringLiteral("libsecret"), QStringLiteral("libgio") }) {
        EXPECT_FALSE(anyContains(files, gui)) << gui.toStdString();
    }
    EXPECT_EQ(host.finish(), 0);
}
