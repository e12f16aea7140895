#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

namespace tovra::testing {

// Another X client that owns the CLIPBOARD selection, as a browser or editor
// does after a copy: xclip in the foreground, serving `text` as `target`
// until it is replaced or this object goes.
class XclipClipboardOwner {
public:
    explicit XclipClipboardOwner(
        const QByteArray &text, const QString &target = QStringLiteral("UTF8_STRING"));
    ~XclipClipboardOwner();

    XclipClipboardOwner(const XclipClipboardOwner &) = delete;
    XclipClipboardOwner &operator=(const XclipClipboardOwner &) = delete;

    // False when xclip could not be started or never took the selection.
    bool isOwning() const { return m_owning; }

    // Ends xclip; the selection then has no owner.
    void release();

private:
    QProcess m_process;
    bool m_owning = false;
};

} // namespace tovra::testing
