#include "core/ledger/DenylistRules.h"

#include "core/ledger/TovraLedgerError.h"
#include "core/privacy/UrlSanitizer.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace tovra {

namespace {

constexpr qsizetype maximumBundleIDLength = 255;
constexpr qsizetype maximumDomainLength = 253;
constexpr qsizetype maximumLabelLength = 63;

QList<DenylistEntry> makeDefaults()
{
    static const char *const bundleIDs[] = {
        // Terminals.
        "org.gnome.Terminal",
        "gnome-terminal-server",
        "org.gnome.Console",
        "kgx",
        "org.gnome.Ptyxis",
        "konsole",
        "org.kde.konsole",
        "yakuake",
        "org.kde.yakuake",
        "xterm",
        "uxterm",
        "urxvt",
        "com.gexperts.Tilix",
        "kitty",
        "Alacritty",
        "org.wezfurlong.wezterm",
        "foot",
        "xfce4-terminal",
        "mate-terminal",
        "lxterminal",
        "qterminal",
        "terminator",
        "guake",
        "tilda",
        "io.elementary.terminal",
        "com.raggesilver.BlackBox",
        "com.mitchellh.ghostty",
        "com.apple.Terminal",
        "com.googlecode.iterm2",
        "dev.warp.Warp-Stable",
        "net.kovidgoyal.kitty",
        "org.alacritty",
        "com.github.wez.wezterm",
        // Password managers and key stores.
        "org.keepassxc.KeePassXC",
        "keepassxc",
        "1password",
        "bitwarden",
        "com.bitwarden.desktop",
        "org.gnome.seahorse.Application",
        "seahorse",
        "org.kde.kwalletmanager5",
        "kwalletmanager5",
        "enpass",
        "com.1password.1password",
        "com.agilebits.onepassword7",
        "com.apple.keychainaccess",
        "com.apple.Passwords",
        // Remote-desktop clients.
        "org.remmina.Remmina",
        "remmina",
        "org.kde.krdc",
        "krdc",
        "org.gnome.Connections",
        "vinagre",
        "xfreerdp",
        "vncviewer",
        "com.rustdesk.RustDesk",
        "rustdesk",
        "anydesk",
        "TeamViewer",
        "com.microsoft.rdc.macos",
        "com.microsoft.rdc.mac",
        "com.teamviewer.TeamViewer",
        "com.apple.ScreenSharing",
        "com.realvnc.vncviewer",
    };
    QList<DenylistEntry> entries;
    for (const char *bundleID : bundleIDs)
        entries.append(DenylistEntry { DenylistKind::bundleID, QString::fromLatin1(bundleID), QDateTime() });
    return entries;
}

[[noreturn]] void reject(const QString &value, const QString &detail)
{
    constexpr qsizetype shownLength = 64;
    const QString shown = value.size() > shownLength ? value.left(shownLength) + QChar(0x2026) : value;
    throw TovraLedgerError::invalidDenylistValue(shown, detail);
}

bool isValidLabel(const QString &label)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z0-9_]([a-z0-9_-]*[a-z0-9_])?$"));
    return !label.isEmpty() && label.size() <= maximumLabelLength && pattern.match(label).hasMatch();
}

QString normalizedDomain(const QString &value)
{
    QString address = value.trimmed();
    if (address.isEmpty())
        reject(value, QStringLiteral("the domain is empty"));

    // The value is read as a page address is, so that a rule pasted from the
    // address bar names the host that page has; a bare domain is an address
    // without a scheme.
    const qsizetype schemeEnd = address.indexOf(QLatin1String("://"));
    const qsizetype hostStart = schemeEnd < 0 ? 0 : schemeEnd + 3;
    if (QStringView(address).mid(hostStart).startsWith(QLatin1String("*.")))
        address.remove(hostStart, 2);
    else if (QStringView(address).mid(hostStart).startsWith(QLatin1Char('.')))
        address.remove(hostStart, 1);
    if (schemeEnd < 0)
        address.prepend(QLatin1String("http://"));
    const QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid())
        reject(value, QStringLiteral("it is not a valid domain name"));
    QString host = url.host(QUrl::FullyEncoded);
    if (host.contains(QLatin1Char(':')))
        reject(value, QStringLiteral("IP version 6 addresses are not supported, only host names"));
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    if (host.isEmpty())
        reject(value, QStringLiteral("it holds no domain name"));

    // Stored in the one spelling that page hosts are compared in, or a rule
    // written "127.1" would never meet the pages at "127.0.0.1".
    const std::optional<QString> domain = UrlSanitizer::normalizedHost(host);
    if (!domain)
        reject(value, QStringLiteral("it is not a valid domain name"));
    const QStringList labels = domain->split(QLatin1Char('.'));
    if (domain->size() > maximumDomainLength || !std::all_of(labels.cbegin(), labels.cend(), isValidLabel))
        reject(value, QStringLiteral("it is not a valid domain name"));
    return *domain;
}

QString normalizedBundleID(const QString &value)
{
    const QString bundleID = value.trimmed();
    if (bundleID.isEmpty())
        reject(value, QStringLiteral("the application identifier is empty"));
    if (bundleID.size() > maximumBundleIDLength)
        reject(value,
            QStringLiteral("an application identifier has at most %1 characters").arg(maximumBundleIDLength));
    const bool hasForbidden = std::any_of(bundleID.cbegin(), bundleID.cend(), [](QChar character) {
        return character.isSpace() || character.category() == QChar::Other_Control
            || character.category() == QChar::Other_Format || character == QLatin1Char('/');
    });
    if (hasForbidden)
        reject(
            value, QStringLiteral("an application identifier has no spaces, control characters or slashes"));
    return bundleID;
}

} // namespace

const QList<DenylistEntry> &DenylistRules::defaults()
{
    static const QList<DenylistEntry> entries = makeDefaults();
    return entries;
}

bool DenylistRules::isDefault(DenylistKind kind, const QString &value)
{
    const QList<DenylistEntry> &entries = defaults();
    return std::any_of(entries.cbegin(), entries.cend(),
        [&](const DenylistEntry &entry) { return sameRule(entry, kind, value); });
}

QString DenylistRules::normalizedValue(DenylistKind kind, const QString &value)
{
    switch (kind) {
    case DenylistKind::domain:
        return normalizedDomain(value);
    case DenylistKind::bundleID:
        return normalizedBundleID(value);
    }
    reject(value, QStringLiteral("the kind of rule is unknown"));
}

bool DenylistRules::sameRule(const DenylistEntry &left, DenylistKind kind, const QString &normalizedValue)
{
    return left.kind == kind && left.value.compare(normalizedValue, Qt::CaseInsensitive) == 0;
}

CustomDenylist DenylistRules::effectiveDenylist(const QList<DenylistEntry> &custom)
{
    return CustomDenylist::fromEntries(defaults() + custom);
}

} // namespace tovra
