// Takes the Secret Service's bus name and then never answers a call, the way
// a hung keyring daemon would. Prints "ready" once the name is owned and stays
// until it is killed.
#include <gio/gio.h>

#include <cstdio>

namespace {

GDBusMessage *swallowCalls(GDBusConnection *, GDBusMessage *message, gboolean incoming, gpointer)
{
    if (incoming && g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_METHOD_CALL) {
        g_object_unref(message);
        return nullptr;
    }
    return message;
}

} // namespace

int main()
{
    GError *error = nullptr;
    GDBusConnection *connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!connection) {
        std::fprintf(stderr, "no session bus: %s\n", error->message);
        return 1;
    }
    GVariant *reply = g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus", "RequestName", g_variant_new("(su)", "org.freedesktop.secrets", 4u),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &error);
    if (!reply) {
        std::fprintf(stderr, "could not take the name: %s\n", error->message);
        return 1;
    }
    guint32 result = 0;
    g_variant_get(reply, "(u)", &result);
    g_variant_unref(reply);
    if (result != 1) {
        std::fprintf(stderr, "the name is owned by someone else (%u)\n", result);
        return 1;
    }
    g_dbus_connection_add_filter(connection, swallowCalls, nullptr, nullptr);
    std::printf("ready\n");
    std::fflush(stdout);
    GMainLoop *loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
