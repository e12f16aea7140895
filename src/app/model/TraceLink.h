#pragma once

#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace tovra::app {

// A link "tovra://trace/<identifier>" as written into pasted citations, read
// back: the trace it names, or the message telling the user why it names none.
struct TraceLink {
    std::optional<QUuid> traceID;
    QString rejection;

    // Scheme, host and identifier are read without regard to case. The
    // identifier must be a UUID in its canonical 36-character form: the link
    // writer never puts braces or other spellings there.
    static TraceLink parse(const QUrl &url);
};

// What the detail window says when a well-formed link names no record.
namespace traceLinkMessages {
inline const QString unsupported = QStringLiteral("不支持的Tovra链接。");
inline const QString invalidIdentifier = QStringLiteral("溯源记录编号无效。");
inline const QString recordUnavailable = QStringLiteral("这条本机记录已删除、过期或不可用。");
inline const QString readFailedPrefix = QStringLiteral("无法读取本机记录：");
} // namespace traceLinkMessages

} // namespace tovra::app
