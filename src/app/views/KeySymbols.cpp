#include "app/views/KeySymbols.h"

#include "app/views/InterfaceFont.h"

#include <QFontDatabase>
#include <QLabel>
#include <QRawFont>

#include <algorithm>

namespace tovra::app::views {

namespace {

constexpr char32_t keySymbols[] = { U'⌥', U'⇧', U'⌘', U'⌃' };

bool isKeySymbol(QChar character)
{
    return std::find(std::begin(keySymbols), std::end(keySymbols), char32_t(character.unicode()))
        != std::end(keySymbols);
}

// The face a family resolves to when it draws every key symbol itself (not
// through the fallbacks a font draws a missing glyph with); empty otherwise.
QString faceWithEveryKeySymbol(const QString &family)
{
    const QRawFont face = QRawFont::fromFont(QFont(family));
    const bool drawsAll = face.isValid()
        && std::all_of(std::begin(keySymbols), std::end(keySymbols),
            [&face](char32_t symbol) { return face.supportsCharacter(symbol); });
    return drawsAll ? face.familyName() : QString();
}

QString findKeySymbolFamily()
{
    // The interface's own face when it has them all, else the system's
    // general face, else the first face installed that does.
    QStringList candidates { preferredInterfaceFamily,
        QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() };
    candidates += QFontDatabase::families();
    for (const QString &family : std::as_const(candidates)) {
        if (const QString face = faceWithEveryKeySymbol(family); !face.isEmpty())
            return face;
    }
    return {};
}

} // namespace

bool hasKeySymbol(const QString &text)
{
    return std::any_of(text.begin(), text.end(), isKeySymbol);
}

QString keySymbolFamily()
{
    static const QString family = findKeySymbolFamily();
    return family;
}

void setTextWithKeySymbols(QLabel *label, const QString &text)
{
    label->setAccessibleName(QString(text).remove(QChar(0x2060)));
    // Most texts have no key symbol: the face is looked for only for those
    // that do.
    const QString family = hasKeySymbol(text) ? keySymbolFamily() : QString();
    if (family.isEmpty()) {
        label->setTextFormat(Qt::PlainText);
        label->setText(text);
        return;
    }
    const QString open = QStringLiteral("<span style=\"font-family:'%1'\">").arg(family);
    QString markup;
    bool inSymbols = false;
    for (const QChar character : text) {
        if (isKeySymbol(character) != inSymbols) {
            markup += inSymbols ? QStringLiteral("</span>") : open;
            inSymbols = !inSymbols;
        }
        markup += QString(character).toHtmlEscaped();
    }
    if (inSymbols)
        markup += QStringLiteral("</span>");
    label->setTextFormat(Qt::RichText);
    label->setText(markup);
}

} // namespace tovra::app::views
