#include "ModelTestSupport.h"
#include "X11TestSupport.h"
#include "app/data/MemoryLedgerPersistence.h"
#include "app/data/TovraCoreDataStore.h"
#include "app/model/UserDefaultsKeys.h"
#include "app/shell/StoppableClock.h"
#include "core/ledger/TovraLedger.h"
#include "platform/SystemClock.h"
#include "platform/x11/X11PlatformBackend.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <unistd.h>

// The model as the app runs it, on the X server of the test session: real
// client windows, the user's keys typed through XTest, the accessibility bus
// and a ledger in memory.
namespace tovra::app::testing {
namespace {

using tovra::testing::Typist;
using tovra::testing::waitUntil;
using tovra::testing::X11TestClient;

PlatformServices withClock(PlatformServices services, Clock &clock)
{
    services.clock = &clock;
    return services;
}

class ModelDesktopSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(backend.hasDisplay()) << "no X display";
        settings->setValue(userDefaultsKeys::observationEnabled, true);
        model = std::make_unique<TovraAppModel>(TovraAppModelServices {
            .platform = services,
            .dataProvider = store,
            .permissionRelaunchIntentStore = PermissionRelaunchIntentStore(settings),
            .nativeHostManifestInstaller = std::make_shared<ScriptedManifestInstaller>(),
            .userDefaults = settings,
            .deepLinkMailbox = &mailbox,
            .traceDetailPresenter = &traceDetails,
            .exportSavePanel = &savePanel,
            .bundle = {},
            .timeZone = QTimeZone::utc(),
        });
        auto started = std::make_shared<detail::TaskOutcome<void>>();
        auto running = detail::recordOutcome(started, model->start());
        ASSERT_TRUE(waitUntil([&] { return started->done; }));
        ASSERT_EQ(model->state().observationStatus, ObservationModeStatus::observing);
    }

    // Ends the model's background tasks as quitting the app does: the model
    // stops, the clock's sleeps end, and the woken tasks take their last
    // steps on the event loop.
    void TearDown() override
    {
        if (!model)
            return;
        model->stop();
        clock.stop();
        for (int round = 0; round < 20; ++round) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // The user selects the text in the client's plain field and presses Ctrl+C.
    void copyWithKeys(X11TestClient &client, const QByteArray &text)
    {
        ASSERT_TRUE(client.request("focus plain", "ok"));
        ASSERT_TRUE(waitUntil([&] { return frontmostProcess() == client.processId(); }));
        ASSERT_TRUE(client.request("select-text plain " + text.toBase64(), "ok"));
        typist.chord({ XK_Control_L }, XK_c);
        ASSERT_TRUE(waitUntil([&] { return !model->state().clipboardItems.isEmpty(); }));
    }

    qint64 frontmostProcess() const
    {
        const auto frontmost = services.workspace->frontmostApplication();
        return frontmost ? frontmost->processIdentifier : 0;
    }

    X11PlatformBackend backend { ProcessIdentifier(::getpid()) };
    StoppableClock clock;
    PlatformServices services = withClock(backend.services(), clock);
    std::shared_ptr<TovraCoreDataStore> store = std::make_shared<TovraCoreDataStore>(
        std::make_unique<TovraLedger>(
            std::make_unique<MemoryLedgerPersistence>(std::make_shared<MemoryLedgerPersistence::State>()),
            QByteArray(32, '\x42')),
        std::make_shared<SystemClock>());
    QTemporaryDir settingsFolder;
    std::shared_ptr<QSettings> settings = std::make_shared<QSettings>(
        settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    TovraDeepLinkMailbox mailbox;
    RecordingTraceDetailPresenter traceDetails;
    SimulatedSavePanel savePanel;
    Typist typist;
    std::unique_ptr<TovraAppModel> model;
};

TEST_F(ModelDesktopSessionTest, ACopyTypedInAWindowIsAttributedToItsApplication)
{
    X11TestClient client;
    ASSERT_TRUE(client.start());
    ASSERT_NO_FATAL_FAILURE(copyWithKeys(client, "copied with keys"));

    const SessionClipboardItem item = model->state().clipboardItems.at(0);
    EXPECT_EQ(*item.payload.asText(), QStringLiteral("copied with keys"));
    EXPECT_EQ(item.source.captureMethod, CaptureMethod::keyboardObservation);
    EXPECT_EQ(item.source.sourceProcessIdentifier, client.processId());
    EXPECT_EQ(item.source.sourceAppBundleID,
        services.workspace->runningApplication(client.processId())->bundleIdentifier);
}

// Copy in one window, Alt+Shift+V in another: the text arrives and the ledger
// holds one trace from the first window's application to the second's field.
TEST_F(ModelDesktopSessionTest, TheHotKeyPastesTheCopiedTextAndRecordsWhereItCameFromAndWent)
{
    X11TestClient source;
    X11TestClient target;
    ASSERT_TRUE(source.start());
    ASSERT_TRUE(target.start());
    ASSERT_NO_FATAL_FAILURE(copyWithKeys(source, "a traced quote"));
    ASSERT_TRUE(target.request("focus plain", "ok"));
    ASSERT_TRUE(waitUntil([&] { return frontmostProcess() == target.processId(); }));

    typist.chord({ XK_Alt_L, XK_Shift_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] {
        return target.request("field-text plain", "field-text ") == QByteArray("a traced quote").toBase64();
    }));
    ASSERT_TRUE(waitUntil([&] { return !model->state().isPasting && !model->state().records.isEmpty(); }))
        << (model->state().feedback.failure ? model->state().feedback.failure->message.toStdString() : "");

    auto listed = std::make_shared<detail::TaskOutcome<QList<ProvenanceRecord>>>();
    auto listing = detail::recordOutcome(listed, store->listRecords());
    ASSERT_TRUE(waitUntil([&] { return listed->done; }));
    ASSERT_EQ(listed->result->size(), 1);
    const ProvenanceRecord trace = listed->result->at(0);
    const auto client = services.workspace->runningApplication(target.processId());
    EXPECT_FALSE(trace.source.isUnknown);
    EXPECT_EQ(trace.source.bundleIdentifier, client->bundleIdentifier);
    EXPECT_EQ(trace.destination.bundleIdentifier, client->bundleIdentifier);
    EXPECT_EQ(trace.destination.fieldLabel, QStringLiteral("Plain field"));
    EXPECT_EQ(model->state().feedback.notice->message,
        QStringLiteral("已发送粘贴动作并记录来源与目标；目标 App 未回执实际写入。"));
}

} // namespace
} // namespace tovra::app::testing
