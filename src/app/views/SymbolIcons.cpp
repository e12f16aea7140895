#include "app/views/SymbolIcons.h"

#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>

#include <optional>

// The bundled drawings live in a static library; naming their resource here
// keeps the linker from dropping it. It must be called outside any namespace.
static void initialiseBundledSymbols()
{
    Q_INIT_RESOURCE(symbols);
}

namespace tovra::app {

namespace {

struct Symbol {
    QLatin1StringView name;
    // The freedesktop icon name whose shape says the same, or empty where
    // themes have none and the bundled drawing is the only one.
    QLatin1StringView themeName;
};

// Theme icons are used only where the standard name draws a one-colour shape
// that reads the same once tinted; coloured status icons (warning triangles,
// shields) lose their inner mark when tinted, so those are always bundled.
constexpr Symbol symbols[] = {
    { QLatin1StringView("app"), {} },
    { QLatin1StringView("arrow.clockwise"), QLatin1StringView("view-refresh") },
    { QLatin1StringView("arrow.right"), QLatin1StringView("go-next") },
    { QLatin1StringView("arrow.up.forward.square"), {} },
    { QLatin1StringView("arrow.uturn.backward"), QLatin1StringView("edit-undo") },
    { QLatin1StringView("arrow.uturn.backward.circle"), QLatin1StringView("edit-undo") },
    { QLatin1StringView("bolt.horizontal.circle"), {} },
    { QLatin1StringView("bolt.slash.circle"), {} },
    { QLatin1StringView("calendar"), {} },
    { QLatin1StringView("checkmark"), {} },
    { QLatin1StringView("checkmark.circle"), {} },
    { QLatin1StringView("checkmark.circle.fill"), {} },
    { QLatin1StringView("checkmark.shield"), {} },
    { QLatin1StringView("circle.fill"), {} },
    { QLatin1StringView("clock.badge.exclamationmark"), {} },
    { QLatin1StringView("cursorarrow.click"), {} },
    { QLatin1StringView("cursorarrow.rays"), {} },
    { QLatin1StringView("cursorarrow.slash"), {} },
    { QLatin1StringView("doc.on.clipboard"), QLatin1StringView("edit-paste") },
    { QLatin1StringView("exclamationmark.circle"), {} },
    { QLatin1StringView("exclamationmark.shield"), {} },
    { QLatin1StringView("exclamationmark.triangle"), {} },
    { QLatin1StringView("exclamationmark.triangle.fill"), {} },
    { QLatin1StringView("eye"), {} },
    { QLatin1StringView("eye.slash"), {} },
    { QLatin1StringView("folder"), QLatin1StringView("folder") },
    { QLatin1StringView("gearshape"), {} },
    { QLatin1StringView("globe"), {} },
    { QLatin1StringView("hand.raised"), {} },
    { QLatin1StringView("hand.raised.slash"), {} },
    { QLatin1StringView("line.3.horizontal.decrease.circle"), {} },
    { QLatin1StringView("link.badge.minus"), {} },
    { QLatin1StringView("link.badge.plus"), QLatin1StringView("insert-link") },
    { QLatin1StringView("list.bullet"), {} },
    { QLatin1StringView("list.clipboard"), QLatin1StringView("edit-paste") },
    { QLatin1StringView("lock.fill"), {} },
    { QLatin1StringView("lock.shield"), {} },
    { QLatin1StringView("macwindow"), {} },
    { QLatin1StringView("magnifyingglass"), QLatin1StringView("edit-find") },
    { QLatin1StringView("pause.circle"), QLatin1StringView("media-playback-pause") },
    { QLatin1StringView("pause.circle.fill"), QLatin1StringView("media-playback-pause") },
    { QLatin1StringView("photo"), {} },
    { QLatin1StringView("photo.badge.exclamationmark"), {} },
    { QLatin1StringView("photo.on.rectangle.angled"), {} },
    { QLatin1StringView("play.circle"), QLatin1StringView("media-playback-start") },
    { QLatin1StringView("questionmark.circle"), {} },
    { QLatin1StringView("questionmark.diamond"), {} },
    { QLatin1StringView("signature"), {} },
    { QLatin1StringView("square.and.arrow.up"), {} },
    { QLatin1StringView("trash"), QLatin1StringView("edit-delete") },
    { QLatin1StringView("tray"), {} },
    { QLatin1StringView("xmark"), QLatin1StringView("window-close") },
    { QLatin1StringView("xmark.circle.fill"), QLatin1StringView("edit-clear") },
};

const Symbol *findSymbol(const QString &name)
{
    for (const Symbol &symbol : symbols) {
        if (symbol.name == name)
            return &symbol;
    }
    return nullptr;
}

QIcon bundledIcon(const Symbol &symbol)
{
    static const bool initialised = (initialiseBundledSymbols(), true);
    Q_UNUSED(initialised);
    return QIcon(QStringLiteral(":/tovra/symbols/") + symbol.name + QStringLiteral(".svg"));
}

// Without a desktop icon theme Qt falls back to hicolor, which holds
// applications' own icons and no action symbols: a lookup there costs a
// parse of its index at the window's start and at best finds some
// application's drawing under a standard name.
bool hasActionIconTheme()
{
    const QString theme = QIcon::themeName();
    return !theme.isEmpty() && theme != QLatin1String("hicolor");
}

// Looked up in the theme once per symbol and theme: rows and buttons ask for
// the same few symbols again and again, on the GUI thread only.
QIcon baseIcon(const Symbol &symbol)
{
    static QHash<QString, QIcon> found;
    const QString key = QIcon::themeName() + QLatin1Char('/') + symbol.name;
    if (const auto known = found.constFind(key); known != found.cend())
        return *known;
    const QIcon bundled = bundledIcon(symbol);
    const QIcon icon = symbol.themeName.isEmpty() || !hasActionIconTheme()
        ? bundled
        : QIcon::fromTheme(QString(symbol.themeName), bundled);
    found.insert(key, icon);
    return icon;
}

// Paints the symbol's shape in one colour: the given one, or the palette's
// text colour of the moment, so symbols follow a light or dark palette.
class TintedIconEngine final : public QIconEngine {
public:
    TintedIconEngine(QIcon base, std::optional<QColor> color)
        : m_base(std::move(base))
        , m_color(std::move(color))
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : qreal(1);
        const QPixmap shape = tintedShape(rect.size(), ratio, mode, state);
        if (shape.isNull())
            return;
        const QSizeF size = shape.deviceIndependentSize();
        const QPointF topLeft(
            rect.x() + (rect.width() - size.width()) / 2, rect.y() + (rect.height() - size.height()) / 2);
        painter->drawPixmap(topLeft, shape);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    bool isNull() override { return m_base.isNull(); }
    QString key() const override { return QStringLiteral("tovra-tinted"); }
    QIconEngine *clone() const override { return new TintedIconEngine(m_base, m_color); }

private:
    // The shape in its colour of the moment, drawn once per drawing, size,
    // density, state and colour, then taken from the pixmap cache.
    QPixmap tintedShape(const QSize &size, qreal ratio, QIcon::Mode mode, QIcon::State state) const
    {
        const QColor color = colorFor(mode);
        const QString key = QStringLiteral("tovra-symbol:%1:%2x%3@%4:%5:%6")
                                .arg(m_base.cacheKey())
                                .arg(size.width())
                                .arg(size.height())
                                .arg(ratio)
                                .arg(int(state))
                                .arg(color.rgba(), 8, 16);
        QPixmap shape;
        if (QPixmapCache::find(key, &shape))
            return shape;
        shape = m_base.pixmap(size, ratio, QIcon::Normal, state);
        if (shape.isNull())
            return shape;
        {
            QPainter tint(&shape);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(shape.rect(), color);
        }
        QPixmapCache::insert(key, shape);
        return shape;
    }

    QColor colorFor(QIcon::Mode mode) const
    {
        const QPalette palette = QGuiApplication::palette();
        if (mode == QIcon::Disabled) {
            if (!m_color)
                return palette.color(QPalette::Disabled, QPalette::WindowText);
            QColor faded = *m_color;
            faded.setAlphaF(faded.alphaF() * 0.4f);
            return faded;
        }
        if (mode == QIcon::Selected && !m_color)
            return palette.color(QPalette::HighlightedText);
        return m_color.value_or(palette.color(QPalette::WindowText));
    }

    QIcon m_base;
    std::optional<QColor> m_color;
};

QIcon tintedIcon(const QString &name, std::optional<QColor> color)
{
    const Symbol *symbol = findSymbol(name);
    if (!symbol)
        return {};
    return QIcon(new TintedIconEngine(baseIcon(*symbol), std::move(color)));
}

} // namespace

QIcon SymbolIcons::icon(const QString &name)
{
    return tintedIcon(name, std::nullopt);
}

QIcon SymbolIcons::icon(const QString &name, const QColor &color)
{
    return tintedIcon(name, color);
}

QPixmap SymbolIcons::tinted(const QString &name, const QColor &color, int size)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : qreal(1);
    return icon(name, color).pixmap(QSize(size, size), ratio);
}

QIcon SymbolIcons::bundled(const QString &name)
{
    const Symbol *symbol = findSymbol(name);
    return symbol ? bundledIcon(*symbol) : QIcon();
}

QStringList SymbolIcons::names()
{
    QStringList all;
    for (const Symbol &symbol : symbols)
        all.append(QString(symbol.name));
    return all;
}

} // namespace tovra::app
