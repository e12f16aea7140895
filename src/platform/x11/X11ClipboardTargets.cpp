#include "platform/x11/X11ClipboardTargets.h"

#include "platform/PasteboardType.h"

#include <QStringDecoder>

namespace tovra::X11ClipboardTargets {

namespace {

const QByteArray utf8String = QByteArrayLiteral("UTF8_STRING");
const QByteArray latin1String = QByteArrayLiteral("STRING");
const QByteArray textTarget = QByteArrayLiteral("TEXT");
const QByteArray compoundText = QByteArrayLiteral("COMPOUND_TEXT");
const QByteArray plainTextUtf8 = QByteArrayLiteral("text/plain;charset=utf-8");
const QByteArray plainText = QByteArrayLiteral("text/plain");

bool isUtf8PlainText(const QByteArray &target)
{
    return target.compare(plainTextUtf8, Qt::CaseInsensitive) == 0;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

bool isMetaTarget(const QByteArray &target)
{
    static const QList<QByteArray> metaTargets {
        QByteArrayLiteral("TARGETS"),
        QByteArrayLiteral("MULTIPLE"),
        QByteArrayLiteral("TIMESTAMP"),
        QByteArrayLiteral("SAVE_TARGETS"),
        QByteArrayLiteral("DELETE"),
        QByteArrayLiteral("INSERT_SELECTION"),
        QByteArrayLiteral("INSERT_PROPERTY"),
        QByteArrayLiteral("INCR"),
        QByteArrayLiteral("ATOM_PAIR"),
        QByteArrayLiteral("CLIENT_WINDOW"),
        QByteArrayLiteral("HOST_NAME"),
        QByteArrayLiteral("USER"),
        QByteArrayLiteral("PROCESS"),
        QByteArrayLiteral("TASK"),
        QByteArrayLiteral("OWNER_OS"),
        QByteArrayLiteral("LENGTH"),
    };
    return target.isEmpty() || metaTargets.contains(target);
}

bool isTextTarget(const QByteArray &target)
{
    return target == utf8String || target == latin1String || target == textTarget || target == compoundText
        || target == plainText || isUtf8PlainText(target);
}

std::optional<QString> typeForTarget(const QByteArray &target)
{
    if (isMetaTarget(target))
        return std::nullopt;
    if (isTextTarget(target))
        return PasteboardType::plainText;
    return QString::fromLatin1(target);
}

QStringList typesForTargets(const QList<QByteArray> &targets)
{
    QStringList types;
    for (const QByteArray &target : targets) {
        const auto type = typeForTarget(target);
        if (type && !types.contains(*type))
            types.append(*type);
    }
    return types;
}

QList<QByteArray> targetsForType(const QString &type)
{
    if (type == PasteboardType::plainText)
        return { utf8String, plainTextUtf8, plainText, latin1String, textTarget };
    return { type.toLatin1() };
}

std::optional<QByteArray> decodeText(const QByteArray &actualType, const QByteArray &bytes)
{
    if (actualType == latin1String)
        return QString::fromLatin1(bytes).toUtf8();
    if (actualType == compoundText)
        return std::nullopt;
    // UTF8_STRING, text/plain;charset=utf-8 and, on every current desktop,
    // text/plain, TEXT and C_STRING answered as such.
    if (!isValidUtf8(bytes))
        return std::nullopt;
    return bytes;
}

std::optional<EncodedText> encodeText(const QByteArray &target, const QByteArray &utf8)
{
    if (target == latin1String) {
        const QString text = QString::fromUtf8(utf8);
        for (const QChar character : text) {
            if (character.unicode() > 0xff)
                return std::nullopt;
        }
        return EncodedText { latin1String, text.toLatin1() };
    }
    if (target == textTarget)
        return EncodedText { utf8String, utf8 };
    return EncodedText { target, utf8 };
}

} // namespace tovra::X11ClipboardTargets
