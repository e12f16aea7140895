#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

namespace tovra {

// One type of one pasteboard item. The data is absent when the owner announced
// the type but did not deliver it (a promise that failed or timed out).
struct PasteboardRepresentation {
    QString type;
    std::optional<QByteArray> data;

    friend bool operator==(const PasteboardRepresentation &, const PasteboardRepresentation &) = default;
};

// One item of the pasteboard with every type it is offered in.
struct PasteboardItem {
    QList<PasteboardRepresentation> representations;

    friend bool operator==(const PasteboardItem &, const PasteboardItem &) = default;
};

// An image found on the pasteboard, with the type it was read as.
struct PasteboardImageData {
    QByteArray data;
    QString type;
};

// The system's general pasteboard (the clipboard).
//
// Every write replaces the whole contents and raises the change count once, so
// that a reader can tell any two contents apart by the count alone; the count
// never goes down. Reads never change the count.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    // Raised by every change of the contents, ours included.
    virtual qint64 changeCount() const = 0;

    // The types of the first item, in the owner's order of preference.
    virtual QStringList types() const = 0;

    // The data of the first item that offers `type`; none when no item offers
    // it or its data cannot be delivered.
    virtual std::optional<QByteArray> data(const QString &type) const = 0;

    // Every item with every type's data, for archiving.
    virtual QList<PasteboardItem> items() const = 0;

    // Empties the pasteboard. Returns the new change count.
    virtual qint64 clearContents() = 0;

    // Replace the contents with one item. False when the system refused the
    // write; the contents may then have been cleared.
    virtual bool writeText(const QString &text) = 0;
    virtual bool writeImage(const QByteArray &data, const QString &type) = 0;

    // Replaces the contents with these items, each with every representation
    // that has data. False when the system refused the write.
    virtual bool writeItems(const QList<PasteboardItem> &items) = 0;

    // The plain-text string, when there is one.
    std::optional<QString> string() const;

    // The image of the first item, in the most faithful type it is offered in.
    std::optional<PasteboardImageData> imageData() const;

    // The URLs of a file list on the pasteboard; empty when there is none.
    QList<QUrl> fileURLs() const;

    // Reads the current contents' data of a type as data() does, but on any
    // thread and without this pasteboard, for a transfer from another
    // application that may take long; plain text is not read so.
    using DetachedReader = std::function<std::optional<QByteArray>(const QString &type)>;
    // None when the contents are read here alone (our own contents, or a
    // pasteboard that has no other way).
    virtual DetachedReader detachedReader() const;

    // imageData() and fileURLs() of contents that offer `offered`, read
    // through `read` (the pasteboard's own data(), or a detached reader).
    static std::optional<PasteboardImageData> imageDataFrom(
        const QStringList &offered, const DetachedReader &read);
    static QList<QUrl> fileURLsFrom(const DetachedReader &read);
};

} // namespace tovra
