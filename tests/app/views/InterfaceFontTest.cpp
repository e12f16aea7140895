#include "app/views/InterfaceFont.h"
#include "app/views/Palette.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace tovra::app::views {
namespace {

double pixels(const QFont &font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return font.pointSizeF() * QGuiApplication::primaryScreen()->logicalDotsPerInchY() / 72.0;
}

// The installed CJK family draws both scripts; without it the system's stays.
TEST(InterfaceFontTest, PrefersTheCjkFamilyWhenInstalled)
{
    QFont system(QStringLiteral("DejaVu Sans"), 10);
    const QFont chosen = interfaceFont(system);
    if (QFontDatabase::hasFamily(preferredInterfaceFamily)) {
        EXPECT_EQ(QFontInfo(chosen).family(), preferredInterfaceFamily);
    } else {
        EXPECT_EQ(chosen.family(), system.family());
    }
    EXPECT_EQ(chosen.pointSizeF(), system.pointSizeF());
}

// Captions stay smaller than the body and the finest print smaller than
// captions, but a small body font does not take them below readable sizes.
TEST(InterfaceFontTest, CaptionsKeepTheirOrderAndAReadableSize)
{
    for (const double bodyPixels : { 12.0, 13.0, 16.0, 20.0 }) {
        SCOPED_TRACE(bodyPixels);
        QFont body;
        body.setPointSizeF(bodyPixels * 72.0 / QGuiApplication::primaryScreen()->logicalDotsPerInchY());
        const QFont caption = palette::captionFont(body);
        const QFont smallest = palette::smallCaptionFont(body);
        EXPECT_GE(pixels(caption), 11.5 - 1e-6);
        EXPECT_GE(pixels(smallest), 11.0 - 1e-6);
        EXPECT_GT(pixels(caption), pixels(smallest));
        EXPECT_LT(pixels(caption), bodyPixels);
        if (bodyPixels * 0.78 > 11.0) {
            EXPECT_NEAR(pixels(smallest), bodyPixels * 0.78, 1e-6);
        }
    }
    QFont pixelSized;
    pixelSized.setPixelSize(12);
    EXPECT_EQ(palette::smallCaptionFont(pixelSized).pixelSize(), 11);
    EXPECT_EQ(palette::captionFont(pixelSized).pixelSize(), 11);
}

} // namespace
} // namespace tovra::app::views
