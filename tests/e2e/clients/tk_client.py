#!/usr/bin/python3
"""A Tk window with a plain and a password entry. Tk is on no accessibility
bus, so the window reports through its title, as the browser page does:
"plain=<base64 of the plain entry> password=<length> focus=<field> - ".

Usage: tk_client.py plain|password  (the entry that takes the focus)
"""
import base64
import sys
import tkinter

root = tkinter.Tk(className="tovratk")
plain = tkinter.Entry(root, name="plain")
password = tkinter.Entry(root, name="password", show="*")
plain.pack()
password.pack()


def focused():
    widget = root.focus_get()
    return widget.winfo_name() if widget is not None else "none"


def report():
    text = base64.b64encode(plain.get().encode()).decode()
    root.title(f"plain={text} password={len(password.get())} focus={focused()} - ")
    root.after(50, report)


(password if sys.argv[1] == "password" else plain).focus_set()
report()
root.mainloop()
