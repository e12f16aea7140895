#pragma once

#include "platform/Pasteboard.h"
#include "platform/x11/X11DetachedSelectionReader.h"
#include "platform/x11/X11SelectionOwner.h"
#include "platform/x11/X11SelectionReader.h"

#include "platform/x11/X11Types.h"

#include <chrono>
#include <memory>

namespace tovra {

class X11Connection;

// The CLIPBOARD selection as the general pasteboard. The change count rises on
// each change of owner the server reports (XFixes), including a copy that an
// application makes while it already owns the clipboard, and once on each of
// our own writes. While we own the clipboard, reads are answered from our own
// data without a round trip through the server.
class X11Pasteboard final : public Pasteboard {
public:
    static constexpr std::chrono::milliseconds defaultTransferTimeout { 1000 };
    // Larger transfers are refused: no item of the copy history holds more,
    // and a hostile owner must not fill the memory.
    static constexpr qsizetype defaultMaximumTransferBytes = 128 * 1024 * 1024;
    // Data beyond this size is handed out in increments.
    static constexpr qsizetype incrementSize = 256 * 1024;

    explicit X11Pasteboard(X11Connection &connection,
        std::chrono::milliseconds transferTimeout = defaultTransferTimeout,
        qsizetype maximumTransferBytes = defaultMaximumTransferBytes);
    ~X11Pasteboard() override;

    X11Pasteboard(const X11Pasteboard &) = delete;
    X11Pasteboard &operator=(const X11Pasteboard &) = delete;

    qint64 changeCount() const override;
    QStringList types() const override;
    std::optional<QByteArray> data(const QString &type) const override;
    QList<PasteboardItem> items() const override;
    qint64 clearContents() override;
    bool writeText(const QString &text) override;
    bool writeImage(const QByteArray &data, const QString &type) override;
    bool writeItems(const QList<PasteboardItem> &items) override;
    // Another application's contents, over an X connection of the reader's
    // own (the targets offered are asked for here).
    DetachedReader detachedReader() const override;

private:
    void handleEvent(const X11Event &event) const;
    void noteOwnerChange(const X11Event &event) const;
    void takeOwnerChanges() const;
    bool isOwnedByUs() const;
    std::optional<QList<QByteArray>> currentTargets(bool ownedByUs) const;
    std::optional<QByteArray> readType(
        const QString &type, bool ownedByUs, const std::optional<QList<QByteArray>> &offered) const;
    bool acquire(QList<X11SelectionOwner::Offer> offers);

    X11Connection &m_connection;
    X11Atom m_clipboard = 0;
    int m_xfixesEventBase = -1;
    int m_listener = 0;
    mutable X11SelectionReader m_reader;
    std::shared_ptr<X11DetachedSelectionReader> m_detachedReader;
    mutable X11SelectionOwner m_owner;
    mutable qint64 m_changeCount = 0;
    // Server times of our latest write and clear: owner changes stamped
    // earlier were overtaken by them and are not counted again.
    mutable X11Time m_lastWriteTime = 0;
    mutable X11Time m_lastClearTime = 0;
    // Without XFixes, the owner window last seen stands in for the events.
    mutable X11Window m_lastSeenOwner = 0;
};

} // namespace tovra
