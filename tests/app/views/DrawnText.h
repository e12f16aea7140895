#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QWidget;

// What a widget paints, as text and pictures rather than pixels: each run of
// text with where it lies and its pen, and each pixmap with its place. Lets a
// test read a row an item delegate draws, which has no child widgets.
namespace tovra::app::testing {

struct DrawnText {
    QString text;
    // Its advance box in the widget's coordinates.
    QRectF area;
    QColor color;
};

struct DrawnPixmap {
    QPixmap pixmap;
    QRectF area;
};

struct DrawnContent {
    QList<DrawnText> texts;
    QList<DrawnPixmap> pixmaps;

    // The first run of text that starts with `prefix`, or null.
    const DrawnText *startingWith(const QString &prefix) const;
};

// Paints `widget` (as it would show on screen) and records what it drew.
DrawnContent drawnContent(QWidget *widget);

} // namespace tovra::app::testing
