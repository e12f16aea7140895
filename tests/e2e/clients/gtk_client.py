#!/usr/bin/python3
"""A GTK 3 or GTK 4 window with a plain and a password entry, driven on
standard input with the same line protocol as the Qt test client:

  focus FIELD             -> ok FIELD
  select-text FIELD B64   -> ok FIELD
  copy-text B64           -> ok copy
  field-text FIELD        -> field-text B64
  clear-field FIELD       -> ok FIELD
  quit

FIELD is "plain" or "password". It prints "ready WINDOW-ID" once its window is
mapped. Usage: gtk_client.py 3|4 PROGRAM-NAME

The password field is a GtkEntry that hides its text in GTK 3, and GTK 4's
own GtkPasswordEntry in GTK 4: GTK 4 shows an entry that merely hides its text
to assistive tools as an ordinary field, text included.
"""
import base64
import os
import sys

# The X11 backend is the one under test; software drawing works on any X server.
os.environ["GDK_BACKEND"] = "x11"
os.environ.setdefault("GSK_RENDERER", "cairo")

import gi

version = sys.argv[1]
gi.require_version("Gtk", version + ".0")
gi.require_version("Gdk", version + ".0")
gi.require_version("GdkX11", version + ".0")
from gi.repository import GLib  # noqa: E402

GLib.set_prgname(sys.argv[2])
GLib.set_application_name(sys.argv[2])
from gi.repository import Gdk, GdkX11, Gtk  # noqa: E402

GTK4 = version == "4"


def say(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class Client:
    def __init__(self):
        self.window = Gtk.Window(title="Tovra test client")
        self.window.set_default_size(420, 160)
        box = Gtk.Box(orientation=Gtk.Orientation.VERTICAL, spacing=6)
        self.fields = {"plain": Gtk.Entry(), "password": Gtk.PasswordEntry() if GTK4 else Gtk.Entry()}
        if not GTK4:
            self.fields["password"].set_visibility(False)
        for entry in self.fields.values():
            if GTK4:
                box.append(entry)
            else:
                box.pack_start(entry, False, False, 0)
        if GTK4:
            self.window.set_child(box)
            self.window.connect("close-request", lambda *_: self.loop.quit())
        else:
            self.window.add(box)
            self.window.connect("destroy", lambda *_: self.loop.quit())
        self.loop = GLib.MainLoop()
        self.window.connect("map", self.on_map)
        channel = GLib.IOChannel.unix_new(sys.stdin.fileno())
        GLib.io_add_watch(channel, GLib.PRIORITY_DEFAULT, GLib.IOCondition.IN | GLib.IOCondition.HUP,
                          self.on_input)
        if GTK4:
            self.window.present()
        else:
            self.window.show_all()

    def on_map(self, *_):
        GLib.timeout_add(100, self.announce)

    def announce(self):
        if GTK4:
            xid = GdkX11.X11Surface.get_xid(self.window.get_surface())
        else:
            xid = self.window.get_window().get_xid()
        say("ready %d" % xid)
        return False

    def text(self, field):
        return self.fields[field].get_text()

    def on_input(self, channel, condition):
        line = sys.stdin.readline()
        if not line:
            self.loop.quit()
            return False
        words = line.split()
        if not words:
            return True
        command = words[0]
        if command == "quit":
            self.loop.quit()
            return False
        if command == "focus":
            self.window.present()
            self.fields[words[1]].grab_focus()
            say("ok " + words[1])
        elif command == "select-text":
            entry = self.fields[words[1]]
            entry.set_text(base64.b64decode(words[2]).decode())
            entry.grab_focus()
            entry.select_region(0, -1)
            say("ok " + words[1])
        elif command == "copy-text":
            text = base64.b64decode(words[1]).decode()
            if GTK4:
                Gdk.Display.get_default().get_clipboard().set(text)
            else:
                Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD).set_text(text, -1)
            say("ok copy")
        elif command == "field-text":
            say("field-text " + base64.b64encode(self.text(words[1]).encode()).decode())
        elif command == "clear-field":
            self.fields[words[1]].set_text("")
            say("ok " + words[1])
        return True


Client().loop.run()
