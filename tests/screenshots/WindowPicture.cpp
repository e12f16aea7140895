#include "WindowPicture.h"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSet>
#include <QWidget>

#include <gtest/gtest.h>

namespace tovra::app::testing {

namespace {

// A blank or unpainted window has a colour or two; text and symbols bring
// dozens of shades.
constexpr int fewestColours = 16;

int colourCount(const QImage &image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height() && colours.size() < fewestColours; ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}

QString shownText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    return {};
}

// Drawn whole: inside the window, and as wide as the text asks unless it
// wraps (an eliding label cuts what does not fit).
bool showsInFull(const QWidget *window, const QString &text)
{
    for (const QWidget *child : window->findChildren<QWidget *>()) {
        if (shownText(child) != text || !child->isVisibleTo(window))
            continue;
        const QRect area(child->mapTo(window, QPoint()), child->size());
        const auto *label = qobject_cast<const QLabel *>(child);
        const bool wraps = label && label->wordWrap();
        if (window->rect().contains(area) && (wraps || child->width() >= child->sizeHint().width()))
            return true;
    }
    return false;
}

} // namespace

void takePicture(QWidget *window, const QString &name, const QStringList &texts)
{
    SCOPED_TRACE(name.toStdString());
    // Layouts and repaints the last model changes asked for.
    QCoreApplication::processEvents();
    // The picture shows where a change settles, not a frame of its fade.
    for (QAbstractAnimation *animation : window->findChildren<QAbstractAnimation *>()) {
        if (animation->state() == QAbstractAnimation::Running)
            animation->setCurrentTime(animation->totalDuration());
    }
    QCoreApplication::processEvents();
    const QPixmap picture = window->grab();
    const QImage image = picture.toImage();
    EXPECT_EQ(image.size(), window->size() * picture.devicePixelRatio());
    EXPECT_GE(colourCount(image), fewestColours) << "the picture is blank";
    for (const QString &text : texts)
        EXPECT_TRUE(showsInFull(window, text)) << "not shown in full: " << text.toStdString();

    const QDir folder(QStringLiteral(TOVRA_SCREENSHOT_DIR));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(image.save(folder.filePath(name + QStringLiteral(".png"))));
}

} // namespace tovra::app::testing
