#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tovra::X11ClipboardTargets {

// How pasteboard types (MIME types) and the targets of an X selection map onto
// each other. Text travels under several legacy target names that all mean the
// same plain text; every other target keeps its own name as its type, so that
// an archived clipboard comes back with the targets it had.

// Targets that describe the transfer rather than carry content (TARGETS,
// MULTIPLE, TIMESTAMP, ...); never archived, never offered as content.
bool isMetaTarget(const QByteArray &target);

// A target under which plain text is offered.
bool isTextTarget(const QByteArray &target);

// The pasteboard type of a target, none for a meta target.
std::optional<QString> typeForTarget(const QByteArray &target);

// The types of an offered target list, in the owner's order, without
// duplicates and without meta targets.
QStringList typesForTargets(const QList<QByteArray> &targets);

// The targets that carry `type`, best first: asked for in this order when
// reading, offered in this order when we own the clipboard.
QList<QByteArray> targetsForType(const QString &type);

// Plain text delivered for a text target, as UTF-8; none when the encoding is
// one we do not read (COMPOUND_TEXT) or the bytes are not valid in it.
std::optional<QByteArray> decodeText(const QByteArray &actualType, const QByteArray &bytes);

// Plain text (UTF-8) to send for a text target, with the property type to
// announce; none when the target's encoding cannot carry the text (a STRING
// target is Latin-1 only).
struct EncodedText {
    QByteArray type;
    QByteArray bytes;
};
std::optional<EncodedText> encodeText(const QByteArray &target, const QByteArray &utf8);

} // namespace tovra::X11ClipboardTargets
