#include "WindowPicture.h"
#include "app/views/DrawnText.h"
#include "app/views/ElidedLabel.h"
#include "app/views/LineLimitedLabel.h"
#include "app/views/records/FilterMenuButton.h"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QTextDocument>
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
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        // A text that mixes faces is marked up; what it shows is its plain text.
        if (label->textFormat() == Qt::RichText) {
            QTextDocument document;
            document.setHtml(label->text());
            return document.toPlainText();
        }
        return label->text();
    }
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

// The texts drawn cut: a label narrower or shorter than its text, a button
// narrower than its text, a line-limited or filter text drawn with an
// ellipsis, a label reaching out of its parent. Labels made to elide
// (ElidedLabel) may cut their texts, and so may every text in `allowedCuts`.
QStringList cutTexts(const QWidget *window, const QStringList &allowedCuts)
{
    QStringList cut;
    for (const QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(window) || child->width() <= 0)
            continue;
        const QString text = shownText(child);
        if (text.isEmpty() || text.contains(QLatin1Char('\n')) || allowedCuts.contains(text))
            continue;
        const QFontMetrics metrics = child->fontMetrics();
        bool whole = true;
        if (qobject_cast<const views::FilterMenuButton *>(child)) {
            continue;
        } else if (qobject_cast<const views::ElidedLabel *>(child)) {
            // Cut in its width by design, never in its height.
            whole = child->contentsRect().height() >= metrics.height();
        } else if (const auto *limited = qobject_cast<const views::LineLimitedLabel *>(child)) {
            whole = limited->shownText() == text;
        } else if (const auto *label = qobject_cast<const QLabel *>(child)) {
            if ((label->textFormat() == Qt::RichText || Qt::mightBeRichText(text)) && !label->wordWrap())
                continue;
            whole = label->wordWrap() ? label->height() >= label->heightForWidth(label->width())
                                      : label->contentsRect().width() >= metrics.horizontalAdvance(text)
                    && label->contentsRect().height() >= metrics.height();
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(child)) {
            const int symbol = button->icon().isNull() ? 0 : button->iconSize().width();
            whole = button->width() >= metrics.horizontalAdvance(button->text()) + symbol;
        }
        if (const QWidget *parent = child->parentWidget(); parent && whole)
            whole = parent->rect().contains(child->geometry());
        if (!whole)
            cut.append(text);
    }
    // A filter's title may be cut only where it needs more than the filter's
    // greatest width.
    for (const auto *filter : window->findChildren<const views::FilterMenuButton *>()) {
        const bool tooLong = filter->sizeHint().width() >= views::FilterMenuButton::maximumWidth;
        if (filter->isVisibleTo(window) && filter->shownTitle() != filter->label().title && !tooLong)
            cut.append(filter->label().title);
    }
    // What the lists' rows draw: no bare ellipsis in place of a name, nothing
    // beyond the list's right edge or its row's height.
    for (const auto *list : window->findChildren<QAbstractItemView *>()) {
        if (!list->isVisibleTo(window))
            continue;
        for (const DrawnText &drawn : drawnContent(list->viewport()).texts) {
            const QRect row = list->visualRect(list->indexAt(drawn.area.center().toPoint()));
            const bool bare = drawn.text.trimmed() == QString(QChar(0x2026));
            const bool beyond = drawn.area.right() > list->viewport()->width() + 1
                || (row.isValid()
                    && (drawn.area.top() < row.top() - 1 || drawn.area.bottom() > row.bottom() + 2));
            if (bare || beyond)
                cut.append(drawn.text);
        }
    }
    return cut;
}

// A window with less room than its content (at twice the scale) shows the
// telling texts: each scroll area is moved to show them (the last one
// given, where they do not fit together).
void scrollIntoView(const QWidget *window, const QStringList &texts)
{
    for (const QString &text : texts) {
        for (QWidget *child : window->findChildren<QWidget *>()) {
            if (shownText(child) != text || !child->isVisibleTo(window))
                continue;
            for (QWidget *area = child->parentWidget(); area && area != window; area = area->parentWidget()) {
                if (auto *scroll = qobject_cast<QScrollArea *>(area))
                    scroll->ensureWidgetVisible(child);
            }
        }
    }
    QCoreApplication::processEvents();
}

// Pictures at another scale than 1 carry it in their names ("@2x").
QString scaledName(const QString &name)
{
    const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR");
    return scale.isEmpty() || scale == QStringLiteral("1")
        ? name
        : name + QStringLiteral("@") + scale + QStringLiteral("x");
}

} // namespace

void takePicture(
    QWidget *window, const QString &name, const QStringList &texts, const QStringList &allowedCuts)
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
    scrollIntoView(window, texts);
    // Within the free area of its screen, also where the screen has less
    // room than the window is designed for (at twice the scale).
    const QRect available = window->screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window->frameGeometry()))
        << "the window reaches beyond its screen: " << window->frameGeometry().y() << " + "
        << window->frameGeometry().height() << " in " << available.height();
    const QPixmap picture = window->grab();
    const QImage image = picture.toImage();
    EXPECT_EQ(image.size(), window->size() * picture.devicePixelRatio());
    EXPECT_GE(colourCount(image), fewestColours) << "the picture is blank";
    for (const QString &text : texts)
        EXPECT_TRUE(showsInFull(window, text)) << "not shown in full: " << text.toStdString();
    const QStringList cut = cutTexts(window, allowedCuts);
    EXPECT_TRUE(cut.isEmpty()) << "texts drawn cut: " << cut.join(QStringLiteral(" | ")).toStdString();

    const QDir folder(QStringLiteral(TOVRA_SCREENSHOT_DIR));
    ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
    EXPECT_TRUE(image.save(folder.filePath(scaledName(name) + QStringLiteral(".png"))));
}

} // namespace tovra::app::testing
