#!/usr/bin/env python3
"""Pings a window as a window manager does (_NET_WM_PING) and prints the answer's round trip.

The client answers from the thread that runs its windows, so a window whose thread is blocked
does not answer. Usage: wm_ping.py WINDOW LIMIT_MS [UNTIL_FILE]: prints the milliseconds, or
"none" and exits 1 when no answer came within LIMIT_MS; with UNTIL_FILE, pings every 50 ms and
prints a line a ping until that file exists. Talks to libX11 directly (no X bindings needed).
"""
import ctypes
import os
import select
import sys
import time

CLIENT_MESSAGE = 33
STRUCTURE_NOTIFY = 1 << 17
SUBSTRUCTURE_NOTIFY = 1 << 19


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("l", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


def main():
    window, limit_ms = int(sys.argv[1], 0), int(sys.argv[2])
    until = sys.argv[3] if len(sys.argv) > 3 else None
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                             ctypes.POINTER(Event)]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XPending.argtypes = [ctypes.c_void_p]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    x.XConnectionNumber.argtypes = [ctypes.c_void_p]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    protocols = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    ping = x.XInternAtom(display, b"_NET_WM_PING", 0)
    root = x.XDefaultRootWindow(display)
    # The answer goes to the root window for the window manager (Qt sends it to those that
    # select structure notes or redirect there); listening there hears it too.
    x.XSelectInput(display, root, STRUCTURE_NOTIFY | SUBSTRUCTURE_NOTIFY)
    fd = x.XConnectionNumber(display)
    answer = Event()

    def ping_once(stamp):
        event = Event()
        event.xclient.type = CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = protocols
        event.xclient.format = 32
        event.xclient.l[0] = ping
        event.xclient.l[1] = stamp
        event.xclient.l[2] = window
        started = time.monotonic()
        x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
        x.XFlush(display)
        deadline = started + limit_ms / 1000.0
        while True:
            while x.XPending(display):
                x.XNextEvent(display, ctypes.byref(answer))
                c = answer.xclient
                if answer.type == CLIENT_MESSAGE and c.l[0] == ping and c.l[1] == stamp:
                    return (time.monotonic() - started) * 1000
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([fd], [], [], left)

    stamp = int(time.monotonic() * 1000) & 0x3FFFFFFF
    missed = False
    while True:
        stamp += 1
        ms = ping_once(stamp)
        print("none" if ms is None else "%.0f" % ms, flush=True)
        missed = missed or ms is None
        if until is None or os.path.exists(until):
            break
        time.sleep(0.05)
    sys.exit(1 if missed else 0)

main()
