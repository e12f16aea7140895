#include "app/views/SymbolIcons.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tovra::app {
namespace {

// Every symbol name the windows, banners and notices use.
const char *const usedSymbols[] = {
    "app",
    "arrow.clockwise",
    "arrow.right",
    "arrow.up.forward.square",
    "arrow.uturn.backward",
    "arrow.uturn.backward.circle",
    "bolt.horizontal.circle",
    "bolt.slash.circle",
    "calendar",
    "checkmark",
    "checkmark.circle",
    "checkmark.circle.fill",
    "checkmark.shield",
    "circle.fill",
    "clock.badge.exclamationmark",
    "cursorarrow.click",
    "cursorarrow.rays",
    "cursorarrow.slash",
    "doc.on.clipboard",
    "exclamationmark.circle",
    "exclamationmark.shield",
    "exclamationmark.triangle",
    "exclamationmark.triangle.fill",
    "eye",
    "eye.slash",
    "folder",
    "gearshape",
    "globe",
    "hand.raised",
    "hand.raised.slash",
    "line.3.horizontal.decrease.circle",
    "link.badge.minus",
    "link.badge.plus",
    "list.bullet",
    "list.clipboard",
    "lock.fill",
    "lock.shield",
    "macwindow",
    "magnifyingglass",
    "pause.circle",
    "pause.circle.fill",
    "photo",
    "photo.badge.exclamationmark",
    "photo.on.rectangle.angled",
    "play.circle",
    "questionmark.circle",
    "questionmark.diamond",
    "signature",
    "square.and.arrow.up",
    "trash",
    "tray",
    "xmark",
    "xmark.circle.fill",
};

// The colours of the pixels the symbol paints, ignoring the transparent ones.
QList<QRgb> paintedColors(const QPixmap &pixmap)
{
    QList<QRgb> colors;
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255)
                colors.append(pixel & 0xFFFFFF);
        }
    }
    return colors;
}

class SymbolIconsTest : public ::testing::TestWithParam<const char *> { };

TEST_P(SymbolIconsTest, BundlesADrawingThatPaintsInTheAskedColour)
{
    const QString name = QString::fromLatin1(GetParam());
    EXPECT_TRUE(SymbolIcons::names().contains(name));
    EXPECT_FALSE(SymbolIcons::bundled(name).isNull());
    EXPECT_FALSE(paintedColors(SymbolIcons::bundled(name).pixmap(24, 24)).isEmpty());

    const QList<QRgb> tinted = paintedColors(SymbolIcons::tinted(name, QColor(0x12, 0x80, 0xEE), 24));
    ASSERT_FALSE(tinted.isEmpty());
    for (const QRgb color : tinted)
        EXPECT_EQ(color, 0x1280EEu) << "at a pixel of " << GetParam();
}

INSTANTIATE_TEST_SUITE_P(EveryUsedSymbol, SymbolIconsTest, ::testing::ValuesIn(usedSymbols));

// An application is drawn with something inside its tile: an empty rounded
// square reads as a checkbox beside a row's text.
TEST(SymbolIconsLookupTest, TheApplicationSymbolIsNoEmptyBox)
{
    const QImage image = SymbolIcons::tinted(QStringLiteral("app"), Qt::black, 24).toImage();
    const QRect inside = QRect(QPoint(), image.size()).adjusted(7, 7, -7, -7);
    int inked = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    }
    EXPECT_GT(inked, inside.width() * inside.height() / 4);
}

TEST(SymbolIconsLookupTest, AnUnknownNameHasNoIcon)
{
    EXPECT_TRUE(SymbolIcons::icon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_TRUE(SymbolIcons::bundled(QStringLiteral("no.such.symbol")).isNull());
}

} // namespace
} // namespace tovra::app

namespace tovra::app {
namespace {

QImage drawn(const QIcon &icon)
{
    return icon.pixmap(20, 20).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Drawings are kept once tinted: a symbol in the palette's colour follows a
// change of the palette, and two symbols of one size and colour stay apart.
TEST(SymbolIconsCacheTest, AKeptDrawingFollowsThePaletteAndBelongsToItsSymbol)
{
    const QPalette original = QGuiApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::WindowText, QColor(0x20, 0xA0, 0x40));
    QGuiApplication::setPalette(dark);
    const QIcon trash = SymbolIcons::icon(QStringLiteral("trash"));
    const QImage first = drawn(trash);
    EXPECT_EQ(drawn(trash), first);
    for (const QRgb color : paintedColors(QPixmap::fromImage(first)))
        ASSERT_EQ(color, 0x20A040u);

    QPalette light = original;
    light.setColor(QPalette::WindowText, QColor(0xC0, 0x10, 0x10));
    QGuiApplication::setPalette(light);
    const QList<QRgb> relit
        = paintedColors(QPixmap::fromImage(drawn(SymbolIcons::icon(QStringLiteral("trash")))));
    ASSERT_FALSE(relit.isEmpty());
    for (const QRgb color : relit)
        EXPECT_EQ(color, 0xC01010u);

    EXPECT_NE(
        drawn(SymbolIcons::icon(QStringLiteral("globe"))), drawn(SymbolIcons::icon(QStringLiteral("trash"))));
    EXPECT_NE(drawn(SymbolIcons::icon(QStringLiteral("eye"), Qt::blue)),
        drawn(SymbolIcons::icon(QStringLiteral("eye.slash"), Qt::blue)));
    QGuiApplication::setPalette(original);
}

} // namespace
} // namespace tovra::app

namespace tovra::app {
namespace {

// A theme named `name` under `root` whose "edit-undo" is a full square.
void writeThemeWithSquareUndo(const QString &root, const QString &name)
{
    const QString folder = root + QLatin1Char('/') + name;
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/16x16/actions")));
    QFile index(folder + QStringLiteral("/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=" + name.toUtf8()
        + "\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    QImage square(16, 16, QImage::Format_ARGB32);
    square.fill(Qt::black);
    ASSERT_TRUE(square.save(folder + QStringLiteral("/16x16/actions/edit-undo.png")));
}

int inkedPixels(const QIcon &icon)
{
    const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            inked += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    }
    return inked;
}

// A desktop icon theme draws the symbols it has a standard name for; Qt's
// fallback theme, hicolor, holds applications' icons and is never asked.
TEST(SymbolIconsThemeTest, OnlyADesktopIconThemeReplacesTheBundledDrawing)
{
    const QTemporaryDir root;
    writeThemeWithSquareUndo(root.path(), QStringLiteral("hicolor"));
    writeThemeWithSquareUndo(root.path(), QStringLiteral("Desktop"));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({ root.path() });

    QIcon::setThemeName(QStringLiteral("Desktop"));
    EXPECT_EQ(inkedPixels(SymbolIcons::icon(QStringLiteral("arrow.uturn.backward"))), 16 * 16);
    for (const QString &fallback : { QStringLiteral("hicolor"), QString() }) {
        QIcon::setThemeName(fallback);
        const int inked = inkedPixels(SymbolIcons::icon(QStringLiteral("arrow.uturn.backward")));
        EXPECT_GT(inked, 0) << fallback.toStdString();
        EXPECT_LT(inked, 16 * 16 / 2) << fallback.toStdString();
    }

    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);
}

} // namespace
} // namespace tovra::app
