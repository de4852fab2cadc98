#!/usr/bin/env python3
"""Sends WM_DELETE_WINDOW to a window, as a window manager's close button does.
Usage: xclose.py WINDOW_ID"""
import ctypes
import ctypes.util
import sys

xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XInternAtom.restype = ctypes.c_ulong
xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
xlib.XFlush.argtypes = [ctypes.c_void_p]
xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


def main():
    window = int(sys.argv[1], 0)
    d = xlib.XOpenDisplay(None)
    if not d:
        sys.exit("no display")
    e = Event()
    e.xclient.type = 33  # ClientMessage
    e.xclient.window = window
    e.xclient.message_type = xlib.XInternAtom(d, b"WM_PROTOCOLS", 0)
    e.xclient.format = 32
    e.xclient.data[0] = xlib.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
    e.xclient.data[1] = 0  # CurrentTime
    xlib.XSendEvent(d, window, 0, 0, ctypes.byref(e))
    xlib.XFlush(d)
    xlib.XCloseDisplay(d)


if __name__ == "__main__":
    main()
