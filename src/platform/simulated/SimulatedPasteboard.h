#pragma once

#include "platform/Pasteboard.h"

#include <QSet>

#include <functional>

namespace tovra {

// An in-process pasteboard with typed items and a change count, plus switches
// that make it misbehave the way real ones do.
class SimulatedPasteboard final : public Pasteboard {
public:
    // Which of this program's writes the system refuses. A refused write
    // clears the pasteboard (raising the change count), the worst a real
    // system does.
    enum class WriteRefusal { none, textAndImages, everything };

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override;
    std::optional<QByteArray> data(const QString &type) const override;
    QList<PasteboardItem> items() const override;
    qint64 clearContents() override;
    bool writeText(const QString &text) override;
    bool writeImage(const QByteArray &data, const QString &type) override;
    bool writeItems(const QList<PasteboardItem> &items) override;

    // What another application puts on the pasteboard; never refused.
    void setContents(QList<PasteboardItem> items);
    void setText(const QString &text);
    void setImage(const QByteArray &data, const QString &type);

    // The owner starts serving other data without announcing a change, which
    // X11 allows: the change count stays the same.
    void changeContentsSilently(QList<PasteboardItem> items) { m_items = std::move(items); }

    // The items as stored, without calling the read hook.
    const QList<PasteboardItem> &contents() const noexcept { return m_items; }

    void setWriteRefusal(WriteRefusal refusal) noexcept { m_writeRefusal = refusal; }

    // The type stays announced but its data is never delivered, like a
    // promise its owner fails to keep.
    void setUndeliverable(const QString &type, bool undeliverable = true);

    // Called with the type before each read of data (for `items()`, once per
    // representation); a test uses it to change the contents mid-read.
    void setReadHook(std::function<void(const QString &type)> hook) { m_readHook = std::move(hook); }

private:
    std::optional<QByteArray> deliver(const PasteboardRepresentation &representation) const;
    void replace(QList<PasteboardItem> items);
    bool refuse(bool isItemsWrite);

    QList<PasteboardItem> m_items;
    qint64 m_changeCount = 0;
    WriteRefusal m_writeRefusal = WriteRefusal::none;
    QSet<QString> m_undeliverable;
    std::function<void(const QString &)> m_readHook;
};

} // namespace tovra
