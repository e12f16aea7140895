#include "platform/x11/AtspiAccessibility.h"

#include "platform/Clock.h"
#include "platform/x11/DesktopEntryIndex.h"

#include <QDBusMessage>
#include <QDBusVariant>

#include <atspi/atspi.h>

#include <chrono>
#include <utility>
#include <vector>

namespace tovra {

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString enabledProperty = QStringLiteral("IsEnabled");

// Owns one reference of a GObject from libatspi.
template <typename T> class Ref {
public:
    explicit Ref(T *object = nullptr)
        : m_object(object)
    {
    }
    ~Ref()
    {
        if (m_object)
            g_object_unref(m_object);
    }
    Ref(Ref &&other) noexcept
        : m_object(std::exchange(other.m_object, nullptr))
    {
    }
    Ref &operator=(Ref &&other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    T *get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T *m_object;
};

void clear(GError *&error)
{
    if (error)
        g_error_free(error);
    error = nullptr;
}

QString takeString(gchar *value)
{
    const QString text = value ? QString::fromUtf8(value) : QString();
    g_free(value);
    return text;
}

std::optional<QString> nonEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

QString nameOf(AtspiAccessible *accessible)
{
    GError *error = nullptr;
    QString name = takeString(atspi_accessible_get_name(accessible, &error));
    clear(error);
    return name;
}

bool hasState(AtspiAccessible *accessible, AtspiStateType state)
{
    const Ref<AtspiStateSet> states(atspi_accessible_get_state_set(accessible));
    return states && atspi_state_set_contains(states.get(), state);
}

QString labelOf(AtspiAccessible *accessible)
{
    const QString name = nameOf(accessible);
    if (!name.isEmpty())
        return name;
    GError *error = nullptr;
    GArray *relations = atspi_accessible_get_relation_set(accessible, &error);
    clear(error);
    QString label;
    if (!relations)
        return label;
    for (guint index = 0; index < relations->len; ++index) {
        AtspiRelation *relation = g_array_index(relations, AtspiRelation *, index);
        if (label.isEmpty() && atspi_relation_get_relation_type(relation) == ATSPI_RELATION_LABELLED_BY) {
            const Ref<AtspiAccessible> target(atspi_relation_get_target(relation, 0));
            if (target)
                label = nameOf(target.get());
        }
        g_object_unref(relation);
    }
    g_array_free(relations, TRUE);
    return label;
}

class FocusSearch {
public:
    FocusSearch(std::chrono::steady_clock::time_point deadline, int budget)
        : m_deadline(deadline)
        , m_budget(budget)
    {
    }

    // The focused element in the window's tree. Toolkits that offer the
    // Collection interface answer in one question; the others are walked,
    // leaving out subtrees that are not showing.
    Ref<AtspiAccessible> find(AtspiAccessible *window)
    {
        if (AtspiCollection *collection = atspi_accessible_get_collection_iface(window)) {
            Ref<AtspiCollection> owned(collection);
            if (auto found = findByCollection(collection))
                return found;
        }
        return walk(window, true);
    }

private:
    // More than one element may say it is focused: a browser marks the page
    // as well as the field in it. A password field among them wins, since
    // missing it would be the costly mistake; else a field that takes text;
    // else the innermost, which comes last in canonical order.
    static constexpr gint consideredMatches = 8;

    static int preference(AtspiAccessible *element)
    {
        GError *error = nullptr;
        const AtspiRole role = atspi_accessible_get_role(element, &error);
        clear(error);
        if (role == ATSPI_ROLE_PASSWORD_TEXT)
            return 2;
        return hasState(element, ATSPI_STATE_EDITABLE) ? 1 : 0;
    }

    Ref<AtspiAccessible> findByCollection(AtspiCollection *collection)
    {
        GArray *wanted = g_array_new(FALSE, FALSE, sizeof(AtspiStateType));
        const AtspiStateType focused = ATSPI_STATE_FOCUSED;
        g_array_append_val(wanted, focused);
        const Ref<AtspiStateSet> states(atspi_state_set_new(wanted));
        g_array_free(wanted, TRUE);
        const Ref<AtspiMatchRule> rule(atspi_match_rule_new(states.get(), ATSPI_Collection_MATCH_ALL, nullptr,
            ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_ALL, nullptr,
            ATSPI_Collection_MATCH_ALL, FALSE));
        GError *error = nullptr;
        GArray *matches = atspi_collection_get_matches(
            collection, rule.get(), ATSPI_Collection_SORT_ORDER_CANONICAL, consideredMatches, TRUE, &error);
        clear(error);
        Ref<AtspiAccessible> found;
        if (!matches)
            return found;
        int foundPreference = -1;
        for (guint index = 0; index < matches->len; ++index) {
            Ref<AtspiAccessible> match(g_array_index(matches, AtspiAccessible *, index));
            if (const int candidate = preference(match.get()); candidate >= foundPreference) {
                found = std::move(match);
                foundPreference = candidate;
            }
        }
        g_array_free(matches, TRUE);
        return found;
    }

    Ref<AtspiAccessible> walk(AtspiAccessible *node, bool isWindow)
    {
        if (--m_budget < 0 || std::chrono::steady_clock::now() > m_deadline)
            return Ref<AtspiAccessible>();
        const Ref<AtspiStateSet> states(atspi_accessible_get_state_set(node));
        if (states && atspi_state_set_contains(states.get(), ATSPI_STATE_FOCUSED) && !isWindow)
            return Ref<AtspiAccessible>(static_cast<AtspiAccessible *>(g_object_ref(node)));
        // GTK 4 marks what is on screen visible but never showing.
        if (!isWindow
            && (!states
                || (!atspi_state_set_contains(states.get(), ATSPI_STATE_SHOWING)
                    && !atspi_state_set_contains(states.get(), ATSPI_STATE_VISIBLE))))
            return Ref<AtspiAccessible>();
        GError *error = nullptr;
        const gint count = atspi_accessible_get_child_count(node, &error);
        clear(error);
        for (gint index = 0; index < count; ++index) {
            const Ref<AtspiAccessible> child(atspi_accessible_get_child_at_index(node, index, &error));
            clear(error);
            if (!child)
                continue;
            if (auto found = walk(child.get(), false))
                return found;
            if (m_budget < 0)
                break;
        }
        return Ref<AtspiAccessible>();
    }

    std::chrono::steady_clock::time_point m_deadline;
    int m_budget;
};

QString busNameOf(AtspiAccessible *accessible)
{
    const auto *object = reinterpret_cast<const AtspiObject *>(accessible);
    return object->app && object->app->bus_name ? QString::fromUtf8(object->app->bus_name) : QString();
}

// The object's address on the bus: stable for as long as the object lives.
std::optional<QString> identifierOf(AtspiAccessible *accessible)
{
    const auto *object = reinterpret_cast<const AtspiObject *>(accessible);
    const QString busName = busNameOf(accessible);
    if (busName.isEmpty() || !object->path)
        return std::nullopt;
    return busName + QLatin1Char(':') + QString::fromUtf8(object->path);
}

FocusedElement describe(AtspiAccessible *element, AtspiAccessible *window)
{
    FocusedElement described;
    described.identifier = identifierOf(element);
    described.windowIdentifier = identifierOf(window);
    described.windowTitle = nonEmpty(nameOf(window));
    GError *error = nullptr;
    described.role = nonEmpty(takeString(atspi_accessible_get_role_name(element, &error)));
    clear(error);
    const AtspiRole role = atspi_accessible_get_role(element, &error);
    clear(error);
    described.label = nonEmpty(labelOf(element));
    described.isSecure = role == ATSPI_ROLE_PASSWORD_TEXT;
    const Ref<AtspiStateSet> states(atspi_accessible_get_state_set(element));
    if (states)
        described.isEditable = bool(atspi_state_set_contains(states.get(), ATSPI_STATE_EDITABLE));
    return described;
}

} // namespace

QStringList AtspiAccessibility::currentDesktops()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

AtspiAccessibility::AtspiAccessibility(
    DesktopEntryIndex &desktopEntries, const Clock &clock, QDBusConnection bus, QStringList desktops)
    : m_desktopEntries(desktopEntries)
    , m_clock(clock)
    , m_bus(std::move(bus))
    , m_desktops(std::move(desktops))
{
}

AtspiAccessibility::~AtspiAccessibility() = default;

bool AtspiAccessibility::isProcessTrusted() const
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage request
        = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface, QStringLiteral("Get"));
    request << statusInterface << enabledProperty;
    const QDBusMessage reply = m_bus.call(request, QDBus::Block, int(m_timeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

bool AtspiAccessibility::requestTrustWithPrompt()
{
    if (!m_bus.isConnected())
        return false;
    // Toolkits watch this switch and start exposing their widgets.
    QDBusMessage request
        = QDBusMessage::createMethodCall(busService, busPath, propertiesInterface, QStringLiteral("Set"));
    request << statusInterface << enabledProperty << QVariant::fromValue(QDBusVariant(true));
    m_bus.call(request, QDBus::Block, int(m_timeout.count()));
    return isProcessTrusted();
}

bool AtspiAccessibility::ensureClientLibrary() const
{
    // The library is set up only once the bus is known to answer: on its
    // own it would wait for a bus that is not there.
    if (m_clientLibraryReady)
        return true;
    if (!isProcessTrusted())
        return false;
    const int status = atspi_init();
    m_clientLibraryReady = status == 0 || status == 1;
    if (m_clientLibraryReady)
        atspi_set_timeout(int(m_timeout.count()), int(m_timeout.count()));
    return m_clientLibraryReady;
}

FocusReading AtspiAccessibility::readFocus(ProcessIdentifier processIdentifier) const
{
    FocusReading reading;
    if (processIdentifier <= 0 || !ensureClientLibrary() || !isProcessTrusted())
        return reading;
    const Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
    if (!desktop)
        return reading;
    // What libatspi remembers of a tree may be stale; every question starts
    // from what the applications answer now.
    atspi_accessible_clear_cache(desktop.get());
    const auto deadline = std::chrono::steady_clock::now() + 2 * m_timeout;
    GError *error = nullptr;
    const gint applicationCount = atspi_accessible_get_child_count(desktop.get(), &error);
    clear(error);
    for (gint applicationIndex = 0; applicationIndex < applicationCount; ++applicationIndex) {
        const Ref<AtspiAccessible> application(
            atspi_accessible_get_child_at_index(desktop.get(), applicationIndex, &error));
        clear(error);
        if (!application)
            continue;
        const guint process = atspi_accessible_get_process_id(application.get(), &error);
        clear(error);
        if (process != guint(processIdentifier))
            continue;

        // The active window first: that is where the keyboard focus is.
        const gint windowCount = atspi_accessible_get_child_count(application.get(), &error);
        clear(error);
        // An active window without any content keeps it to itself (a
        // browser without page accessibility): asking again tells no more.
        bool hasEmptyActiveWindow = false;
        std::vector<Ref<AtspiAccessible>> windows;
        for (gint windowIndex = 0; windowIndex < windowCount; ++windowIndex) {
            Ref<AtspiAccessible> window(
                atspi_accessible_get_child_at_index(application.get(), windowIndex, &error));
            clear(error);
            if (!window)
                continue;
            if (hasState(window.get(), ATSPI_STATE_ACTIVE)) {
                hasEmptyActiveWindow
                    = hasEmptyActiveWindow || atspi_accessible_get_child_count(window.get(), &error) == 0;
                clear(error);
                windows.insert(windows.begin(), std::move(window));
            } else {
                windows.push_back(std::move(window));
            }
        }
        FocusSearch search(deadline, maximumSearchedElements);
        for (const Ref<AtspiAccessible> &window : windows) {
            if (const Ref<AtspiAccessible> focused = search.find(window.get())) {
                reading.kind = FocusReading::Kind::known;
                reading.element = describe(focused.get(), window.get());
                return reading;
            }
        }
        const bool waking = isWakingContent(busNameOf(application.get()), [&application] {
            GError *wakeError = nullptr;
            if (GHashTable *attributes = atspi_accessible_get_attributes(application.get(), &wakeError))
                g_hash_table_unref(attributes);
            clear(wakeError);
        });
        // Windows with content but nothing focused: the application has let
        // go of the focus for now (another application is in front, or a
        // keyboard grab is in progress), and will tell again once it has it.
        if (waking || (!hasEmptyActiveWindow && !windows.empty()))
            reading.kind = FocusReading::Kind::unknown;
        return reading;
    }
    return reading;
}

bool AtspiAccessibility::isWakingContent(
    const QString &applicationBusName, const std::function<void()> &wake) const
{
    if (applicationBusName.isEmpty())
        return false;
    const QDateTime now = m_clock.now();
    const auto woken = m_wokenAt.constFind(applicationBusName);
    if (woken == m_wokenAt.cend()) {
        wake();
        m_wokenAt.insert(applicationBusName, now);
        return true;
    }
    const qint64 elapsed = woken->msecsTo(now);
    return elapsed >= 0 && elapsed < contentWakeAllowance.count();
}

void AtspiAccessibility::setMessagingTimeout(std::chrono::milliseconds timeout)
{
    m_timeout = timeout;
    if (m_clientLibraryReady)
        atspi_set_timeout(int(timeout.count()), int(timeout.count()));
}

std::optional<QUrl> AtspiAccessibility::systemSettingsURL() const
{
    static const QList<QPair<QString, QStringList>> settingsEntries {
        { QStringLiteral("GNOME"),
            { QStringLiteral("gnome-accessibility-panel"), QStringLiteral("gnome-universal-access-panel") } },
        { QStringLiteral("Unity"),
            { QStringLiteral("gnome-universal-access-panel"),
                QStringLiteral("unity-universal-access-panel") } },
        { QStringLiteral("Budgie"), { QStringLiteral("gnome-universal-access-panel") } },
        { QStringLiteral("KDE"), { QStringLiteral("kcm_access") } },
        { QStringLiteral("XFCE"), { QStringLiteral("xfce4-accessibility-settings") } },
        { QStringLiteral("MATE"), { QStringLiteral("mate-at-properties") } },
        { QStringLiteral("X-Cinnamon"),
            { QStringLiteral("cinnamon-settings-universal-access"),
                QStringLiteral("cinnamon-settings-accessibility") } },
        { QStringLiteral("Cinnamon"),
            { QStringLiteral("cinnamon-settings-universal-access"),
                QStringLiteral("cinnamon-settings-accessibility") } },
    };
    for (const QString &desktop : m_desktops) {
        for (const auto &[name, ids] : settingsEntries) {
            if (desktop.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            for (const QString &id : ids) {
                if (const auto entry = m_desktopEntries.entry(id))
                    return QUrl::fromLocalFile(entry->filePath);
            }
        }
    }
    return std::nullopt;
}

} // namespace tovra
