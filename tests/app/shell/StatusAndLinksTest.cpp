#include "app/shell/DeepLinkRouting.h"
#include "app/shell/StatusItemAppearance.h"

#include <gtest/gtest.h>

using tovra::app::isOpenMainWindowLink;
using tovra::app::ObservationModeStatus;
using tovra::app::StatusItemAppearance;

TEST(StatusItemAppearance, APauseShowsWhateverTheModeAndEachModeHasItsSymbolAndLabel)
{
    const struct {
        bool paused;
        ObservationModeStatus status;
        const char *symbol;
        const char *label;
    } cases[] = {
        { true, ObservationModeStatus::observing, "link.badge.minus", "Tovra已暂停" },
        { true, ObservationModeStatus::unavailable, "link.badge.minus", "Tovra已暂停" },
        { false, ObservationModeStatus::dedicated, "cursorarrow.click", "Tovra：专用模式" },
        { false, ObservationModeStatus::observing, "eye", "Tovra：观察模式" },
        { false, ObservationModeStatus::permissionRequired, "exclamationmark.shield", "Tovra：观察权限待授权" },
        { false, ObservationModeStatus::unavailable, "eye.slash", "Tovra：观察模式不可用" },
    };
    for (const auto &testCase : cases) {
        const auto appearance = StatusItemAppearance::of(testCase.paused, testCase.status);
        EXPECT_EQ(appearance.symbolName, QString::fromUtf8(testCase.symbol));
        EXPECT_EQ(appearance.label, QString::fromUtf8(testCase.label));
    }
}

TEST(DeepLinkRouting, OnlyTheOpenHostOfTheTovraSchemeShowsTheMainWindow)
{
    const struct {
        const char *url;
        bool opensMainWindow;
    } cases[] = {
        { "tovra://open", true },
        { "TOVRA://OPEN", true },
        { "tovra://Open/some/path?query=1#part", true },
        { "tovra:open", false },
        { "tovra://trace/8c1d6b9e-2f4a-4c3e-9b7a-0d5e6f7a8b9c", false },
        { "tovra://", false },
        { "https://open", false },
        { "open", false },
    };
    for (const auto &testCase : cases)
        EXPECT_EQ(isOpenMainWindowLink(QUrl(QString::fromUtf8(testCase.url))), testCase.opensMainWindow)
            << testCase.url;
}
