#include "core/privacy/PrivacyGuard.h"

#include "core/privacy/UrlSanitizer.h"
#include "core/records/TovraJson.h"

#include <QSet>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <vector>

namespace tovra {

namespace {

// Splits "newPassword", "cc-number" or "AXSecureTextField" into lower-case
// words, so that short terms such as "otp" match whole words only and never
// the inside of "hotpot" or "footprint".
QStringList words(const QString &text)
{
    QStringList result;
    QString current;
    const auto flush = [&] {
        if (!current.isEmpty()) {
            result.append(current.toLower());
            current.clear();
        }
    };
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (!character.isLetterOrNumber()) {
            flush();
            continue;
        }
        if (character.isUpper() && !current.isEmpty()) {
            const QChar previous = current.back();
            const bool nextIsLower = index + 1 < text.size() && text.at(index + 1).isLower();
            // "newPassword" breaks before P; "OTPCode" breaks before the C.
            if (previous.isLower() || (previous.isUpper() && nextIsLower)) {
                flush();
            }
        }
        current.append(character);
    }
    flush();
    return result;
}

using Phrase = std::initializer_list<const char *>;

// Word sequences that name a secret: passwords, one-time codes, card data.
const std::array<Phrase, 20> &sensitivePhrases()
{
    static const std::array<Phrase, 20> phrases { {
        { "password" },
        { "passwd" },
        { "passcode" },
        { "passphrase" },
        { "pwd" },
        { "otp" },
        { "totp" },
        { "hotp" },
        { "2fa" },
        { "cvv" },
        { "cvc" },
        { "one", "time", "code" },
        { "one", "time", "password" },
        { "onetime", "code" },
        { "verification", "code" },
        { "security", "code" },
        { "card", "number" },
        { "credit", "card" },
        { "cc", "number" },
        { "cc", "csc" },
    } };
    return phrases;
}

// Chinese terms are matched inside the text: Chinese labels are not split into
// words by spaces.
const QStringList &sensitiveChineseTerms()
{
    static const QStringList terms {
        QStringLiteral("密码"),
        QStringLiteral("口令"),
        QStringLiteral("验证码"),
        QStringLiteral("校验码"),
        QStringLiteral("动态码"),
        QStringLiteral("安全码"),
        QStringLiteral("信用卡"),
        QStringLiteral("卡号"),
    };
    return terms;
}

bool containsPhrase(const QStringList &textWords, const Phrase &phrase)
{
    const auto phraseLength = static_cast<qsizetype>(phrase.size());
    for (qsizetype start = 0; start + phraseLength <= textWords.size(); ++start) {
        qsizetype offset = 0;
        for (const char *word : phrase) {
            if (textWords.at(start + offset) != QLatin1String(word)) {
                break;
            }
            ++offset;
        }
        if (offset == phraseLength) {
            return true;
        }
    }
    return false;
}

bool namesSecret(const std::optional<QString> &text)
{
    if (!text || text->trimmed().isEmpty()) {
        return false;
    }
    for (const QString &term : sensitiveChineseTerms()) {
        if (text->contains(term)) {
            return true;
        }
    }
    // A secure text field is its own role on macOS ("AXSecureTextField"),
    // whatever case a caller reports it in.
    if (text->contains(QLatin1String("securetextfield"), Qt::CaseInsensitive)) {
        return true;
    }
    const QStringList textWords = words(*text);
    return std::any_of(sensitivePhrases().begin(), sensitivePhrases().end(),
        [&](const Phrase &phrase) { return containsPhrase(textWords, phrase); });
}

// Without surrounding dots or a leading wildcard, in the one spelling hosts
// are compared in, so that a rule and a page compare equal however either
// wrote its host ("127.1" is "127.0.0.1", "Bücher" is "xn--bcher-kva").
// Empty for what cannot be a host.
QString normalizedDomain(const QString &domain)
{
    QString normalized = domain.trimmed();
    if (normalized.startsWith(QLatin1String("*."))) {
        normalized.remove(0, 2);
    }
    while (normalized.startsWith(QLatin1Char('.'))) {
        normalized.remove(0, 1);
    }
    while (normalized.endsWith(QLatin1Char('.'))) {
        normalized.chop(1);
    }
    return UrlSanitizer::normalizedHost(normalized).value_or(QString());
}

// The host of a destination address. Editors and browsers report some
// addresses without a scheme ("example.com/page"); those are read as web
// addresses too, so a denied domain cannot be dodged by the missing prefix.
std::optional<QString> destinationHost(const QString &address)
{
    const QString trimmed = address.trimmed();
    const QUrl url(trimmed, QUrl::TolerantMode);
    if (url.isValid() && !url.host().isEmpty()) {
        return url.host(QUrl::FullyEncoded);
    }
    if (!trimmed.contains(QLatin1String("://"))) {
        return UrlSanitizer::host(QStringLiteral("http://") + trimmed);
    }
    return std::nullopt;
}

bool normalizedHostMatchesDomain(const QString &normalizedHost, const QString &domain)
{
    const QString normalizedDenied = normalizedDomain(domain);
    if (normalizedHost.isEmpty() || normalizedDenied.isEmpty()) {
        return false;
    }
    return normalizedHost == normalizedDenied || normalizedHost.endsWith(QLatin1Char('.') + normalizedDenied);
}

const QSet<QString> &transientSystemBundleIDs()
{
    static const QSet<QString> bundleIDs {
        // Desktop shells, panels, docks and notification daemons.
        QStringLiteral("gnome-shell"),
        QStringLiteral("org.gnome.shell"),
        QStringLiteral("plasmashell"),
        QStringLiteral("org.kde.plasmashell"),
        QStringLiteral("krunner"),
        QStringLiteral("org.kde.krunner"),
        QStringLiteral("xfce4-panel"),
        QStringLiteral("xfdesktop"),
        QStringLiteral("xfce4-notifyd"),
        QStringLiteral("lxpanel"),
        QStringLiteral("lxqt-panel"),
        QStringLiteral("mate-panel"),
        QStringLiteral("budgie-panel"),
        QStringLiteral("cinnamon"),
        QStringLiteral("plank"),
        QStringLiteral("latte-dock"),
        QStringLiteral("org.kde.latte-dock"),
        QStringLiteral("tint2"),
        QStringLiteral("polybar"),
        QStringLiteral("waybar"),
        QStringLiteral("dunst"),
        QStringLiteral("notify-osd"),
        QStringLiteral("mate-notification-daemon"),
        QStringLiteral("lxqt-notificationd"),
        // Window managers: their own windows (menus, switchers, the focus
        // placeholder of an empty desktop) are nobody's document.
        QStringLiteral("openbox"),
        QStringLiteral("xfwm4"),
        QStringLiteral("kwin_x11"),
        QStringLiteral("kwin_wayland"),
        QStringLiteral("org.kde.kwin"),
        QStringLiteral("mutter"),
        QStringLiteral("marco"),
        QStringLiteral("muffin"),
        QStringLiteral("metacity"),
        QStringLiteral("compiz"),
        QStringLiteral("i3"),
        QStringLiteral("sway"),
        QStringLiteral("awesome"),
        QStringLiteral("fluxbox"),
        QStringLiteral("icewm"),
        QStringLiteral("jwm"),
        QStringLiteral("bspwm"),
        QStringLiteral("herbstluftwm"),
        QStringLiteral("xmonad"),
        QStringLiteral("dwm"),
        QStringLiteral("fvwm"),
        QStringLiteral("fvwm3"),
        QStringLiteral("wmaker"),
        QStringLiteral("enlightenment"),
        QStringLiteral("qtile"),
        QStringLiteral("spectrwm"),
        QStringLiteral("sawfish"),
        QStringLiteral("pekwm"),
        QStringLiteral("lxqt-session"),
        // Launchers: they take focus only to start something else.
        QStringLiteral("rofi"),
        QStringLiteral("dmenu"),
        QStringLiteral("albert"),
        QStringLiteral("ulauncher"),
        QStringLiteral("synapse"),
        QStringLiteral("xfce4-appfinder"),
        // Screen lockers.
        QStringLiteral("gnome-screensaver"),
        QStringLiteral("cinnamon-screensaver"),
        QStringLiteral("mate-screensaver"),
        QStringLiteral("xfce4-screensaver"),
        QStringLiteral("xscreensaver"),
        QStringLiteral("light-locker"),
        QStringLiteral("i3lock"),
        QStringLiteral("kscreenlocker_greet"),
        QStringLiteral("xsecurelock"),
        QStringLiteral("slock"),
        QStringLiteral("lightdm-gtk-greeter"),
        // Authentication agents and credential prompts.
        QStringLiteral("polkit-gnome-authentication-agent-1"),
        QStringLiteral("polkit-kde-authentication-agent-1"),
        QStringLiteral("org.kde.polkit-kde-authentication-agent-1"),
        QStringLiteral("lxpolkit"),
        QStringLiteral("lxqt-policykit-agent"),
        QStringLiteral("polkit-mate-authentication-agent-1"),
        QStringLiteral("xfce-polkit"),
        QStringLiteral("pinentry"),
        QStringLiteral("pinentry-gnome3"),
        QStringLiteral("pinentry-gtk-2"),
        QStringLiteral("pinentry-qt"),
        QStringLiteral("pinentry-qt5"),
        QStringLiteral("pinentry-fltk"),
        QStringLiteral("pinentry-gtk"),
        QStringLiteral("pinentry-gnome"),
        QStringLiteral("pinentry-x2go"),
        QStringLiteral("gcr-prompter"),
        QStringLiteral("org.gnome.keyring.systemprompter"),
        QStringLiteral("kwalletd5"),
        QStringLiteral("kwalletd6"),
        QStringLiteral("ksshaskpass"),
        QStringLiteral("ssh-askpass"),
        QStringLiteral("gnome-ssh-askpass"),
        QStringLiteral("x11-ssh-askpass"),
        QStringLiteral("ssh-askpass-gnome"),
        QStringLiteral("lxqt-openssh-askpass"),
        // Portal dialogs (file choosers, screen-share and permission prompts).
        QStringLiteral("xdg-desktop-portal-gnome"),
        QStringLiteral("xdg-desktop-portal-kde"),
        QStringLiteral("xdg-desktop-portal-gtk"),
        // The same kinds of process on macOS.
        QStringLiteral("com.apple.dock"),
        QStringLiteral("com.apple.systemuiserver"),
        QStringLiteral("com.apple.controlcenter"),
        QStringLiteral("com.apple.notificationcenterui"),
        QStringLiteral("com.apple.loginwindow"),
        QStringLiteral("com.apple.securityagent"),
        QStringLiteral("com.apple.screensaver.engine"),
        QStringLiteral("com.apple.spotlight"),
        QStringLiteral("com.apple.windowmanager"),
        QStringLiteral("com.apple.coreservices.uiagent"),
        QStringLiteral("com.apple.usernotificationcenter"),
        QStringLiteral("com.apple.textinputmenuagent"),
    };
    return bundleIDs;
}

} // namespace

std::optional<RejectionReason> PrivacyGuard::validateDestination(
    const DestinationContext &destination, const CustomDenylist &customDenylist)
{
    if (isDeniedBundleID(destination.appBundleID, customDenylist)) {
        return RejectionReason::deniedApplication;
    }
    if (destination.url) {
        const std::optional<QString> host = destinationHost(*destination.url);
        if (host && isDeniedHost(*host, customDenylist)) {
            return RejectionReason::deniedDomain;
        }
    }
    if (isSensitiveField(destination)) {
        return RejectionReason::sensitiveField;
    }
    return std::nullopt;
}

bool PrivacyGuard::isSensitiveField(const DestinationContext &destination)
{
    return destination.isSecureTextEntry || namesSecret(destination.fieldRole)
        || namesSecret(destination.fieldLabel) || namesSecret(destination.inputType)
        || namesSecret(destination.autocomplete);
}

bool PrivacyGuard::isTransientSystemApplicationBundleID(const std::optional<QString> &bundleID)
{
    return bundleID && transientSystemBundleIDs().contains(bundleID->trimmed().toLower());
}

std::optional<RejectionReason> PrivacyGuard::validateBrowserSource(
    const SourceCapturePayload &payload, const CustomDenylist &customDenylist, bool isPaused)
{
    if (isPaused) {
        return RejectionReason::paused;
    }
    if (payload.isIncognito.value_or(false)) {
        return RejectionReason::incognito;
    }
    const std::optional<QString> host = UrlSanitizer::host(payload.url);
    if (!host || !UrlSanitizer::sanitize(payload.url)) {
        return RejectionReason::invalidURL;
    }
    if (isDeniedHost(*host, customDenylist)) {
        return RejectionReason::deniedDomain;
    }
    if (payload.selectedText.trimmed().isEmpty()) {
        return RejectionReason::emptyContent;
    }
    if (payload.selectedText.toUtf8().size() > maximumCapturedTextBytes) {
        return RejectionReason::contentTooLarge;
    }
    if (payload.capturedAt && !TovraJson::parseDate(*payload.capturedAt)) {
        return RejectionReason::malformedRequest;
    }
    return std::nullopt;
}

bool PrivacyGuard::hostMatchesDomain(const QString &host, const QString &domain)
{
    return normalizedHostMatchesDomain(normalizedDomain(host), domain);
}

bool PrivacyGuard::isDeniedHost(const QString &host, const CustomDenylist &customDenylist)
{
    const QString normalizedHost = normalizedDomain(host);
    return std::any_of(customDenylist.domains.cbegin(), customDenylist.domains.cend(),
        [&](const QString &domain) { return normalizedHostMatchesDomain(normalizedHost, domain); });
}

bool PrivacyGuard::isDeniedBundleID(const QString &bundleID, const CustomDenylist &customDenylist)
{
    const QString wanted = bundleID.trimmed();
    if (wanted.isEmpty()) {
        return false;
    }
    return std::any_of(customDenylist.bundleIDs.cbegin(), customDenylist.bundleIDs.cend(),
        [&](const QString &denied) { return denied.trimmed().compare(wanted, Qt::CaseInsensitive) == 0; });
}

} // namespace tovra
