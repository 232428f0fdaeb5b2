#!/usr/bin/python3
"""Drives a headless LibreOffice Calc for the import tests:
    calc_session.py PIPE open FILE     opens FILE hidden (waits up to 60 s for Calc to listen)
    calc_session.py PIPE close TITLE   closes the open document of that title
    calc_session.py PIPE quit          ends Calc
"""
import os
import sys
import time

import uno
from com.sun.star.beans import PropertyValue


def desktop(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    last = None
    for _ in range(120):
        try:
            ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            return ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        except Exception as exc:
            last = exc
            time.sleep(0.5)
    raise SystemExit("Calc did not listen: %s" % last)


def main(pipe, action, arg=None):
    d = desktop(pipe)
    if action == "open":
        hidden = PropertyValue()
        hidden.Name = "Hidden"
        hidden.Value = True
        d.loadComponentFromURL(uno.systemPathToFileUrl(arg), "_blank", 0, (hidden,))
    elif action == "close":
        docs = d.getComponents().createEnumeration()
        while docs.hasMoreElements():
            doc = docs.nextElement()
            if doc.getTitle() == arg:
                doc.close(True)
    elif action == "quit":
        try:
            d.terminate()
        except Exception:
            pass  # the bridge goes down with Calc


if __name__ == "__main__":
    main(*sys.argv[1:])
    # Leave without the interpreter's clean-up: pyuno tears its bridge down while the bridge's
    # threads still run and now and then crashes the interpreter on the way out (signal 11),
    # after the work was done.
    sys.stdout.flush()
    sys.stderr.flush()
    os._exit(0)
