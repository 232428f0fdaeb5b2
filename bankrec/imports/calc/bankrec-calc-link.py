#!/usr/bin/python3
"""The spreadsheet link of Bank Reconciliation: reaches a running LibreOffice Calc over its UNO
interface for the cleared-check import. The program starts this helper and talks to it over
stdin/stdout, one JSON object per line each way:

  {"op": "connect", "accept": "pipe,name=bankrec"}     -> {"ok": true}
  {"op": "topics"}                                     -> {"ok": true, "topics": [[doc, sheet], ...]}
  {"op": "open", "document": doc, "sheet": sheet}      -> {"ok": true}
  {"op": "read", "row": 1, "columns": [1, 2, 3]}       -> {"ok": true, "cells": ["1234", ...]}
  {"op": "close"}                                      -> {"ok": true}, then the helper ends

Rows and columns count from 1. A cell's text is the text Calc shows for it. Every failure answers
{"ok": false, "error": "..."}; the helper never ends on a bad request, only on "close" or when its
input ends. Calc is reached when it was started with --accept="<accept>;urp;".
"""

import json
import os
import sys

try:
    import uno
    from com.sun.star.connection import NoConnectException
except ImportError as exc:  # python3-uno missing or the wrong interpreter
    uno = None
    IMPORT_ERROR = str(exc)


def document_names(desktop):
    """The open spreadsheet documents by a name unique among them (the title, numbered when two
    documents share one)."""
    docs = []
    seen = {}
    components = desktop.getComponents().createEnumeration()
    while components.hasMoreElements():
        doc = components.nextElement()
        if doc is None or not doc.supportsService("com.sun.star.sheet.SpreadsheetDocument"):
            continue
        title = doc.getPropertyValue("Title") if hasattr(doc, "getPropertyValue") else ""
        if not title:
            title = doc.getTitle() if hasattr(doc, "getTitle") else "Untitled"
        count = seen.get(title, 0) + 1
        seen[title] = count
        name = title if count == 1 else "%s (%d)" % (title, count)
        docs.append((name, doc))
    return docs


class Link:
    def __init__(self):
        self.desktop = None
        self.sheet = None

    def connect(self, request):
        if uno is None:
            raise RuntimeError("python3-uno is not available: " + IMPORT_ERROR)
        accept = request.get("accept") or "pipe,name=bankrec"
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        try:
            context = resolver.resolve("uno:%s;urp;StarOffice.ComponentContext" % accept)
        except NoConnectException:
            raise RuntimeError("LibreOffice Calc is not running or does not accept connections "
                               "(" + accept + ")")
        self.desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        self.sheet = None
        return {}

    def need_desktop(self):
        if self.desktop is None:
            raise RuntimeError("not connected")

    def topics(self, request):
        self.need_desktop()
        out = []
        for name, doc in document_names(self.desktop):
            for sheet in doc.getSheets().getElementNames():
                out.append([name, sheet])
        return {"topics": out}

    def open(self, request):
        self.need_desktop()
        wanted = request.get("document")
        sheet = request.get("sheet")
        for name, doc in document_names(self.desktop):
            if name == wanted:
                sheets = doc.getSheets()
                if not sheets.hasByName(sheet):
                    raise RuntimeError("the document %s has no sheet %s" % (wanted, sheet))
                self.sheet = sheets.getByName(sheet)
                return {}
        raise RuntimeError("the document %s is no longer open" % wanted)

    def read(self, request):
        if self.sheet is None:
            raise RuntimeError("no sheet is open")
        row = int(request.get("row"))
        cells = []
        for column in request.get("columns"):
            column = int(column)
            if row < 1 or column < 1:
                raise RuntimeError("R%dC%d is outside the sheet" % (row, column))
            try:
                cell = self.sheet.getCellByPosition(column - 1, row - 1)
            except Exception:
                raise RuntimeError("R%dC%d is outside the sheet" % (row, column))
            cells.append(cell.getString())
        return {"cells": cells}


def main():
    link = Link()
    operations = {"connect": link.connect, "topics": link.topics, "open": link.open,
                  "read": link.read}
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        try:
            request = json.loads(line)
            op = request.get("op")
            if op == "close":
                answer = {"ok": True}
                print(json.dumps(answer), flush=True)
                return 0
            if op not in operations:
                raise RuntimeError("unknown request %r" % op)
            answer = operations[op](request)
            answer["ok"] = True
        except Exception as exc:  # every failure goes back to the program as its message
            message = str(exc) or exc.__class__.__name__
            # UNO exceptions carry their text in Message.
            message = getattr(exc, "Message", None) or message
            answer = {"ok": False, "error": message}
        print(json.dumps(answer), flush=True)
    return 0


if __name__ == "__main__":
    status = main()
    # Leave without the interpreter's clean-up: pyuno tears its bridge down while the bridge's
    # threads still run and now and then crashes the interpreter on the way out (signal 11).
    sys.stdout.flush()
    os._exit(status)
