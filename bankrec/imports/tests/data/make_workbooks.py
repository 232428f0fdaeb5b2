#!/usr/bin/python3
"""Makes cleared.ods and cleared.xlsx, the workbook files of the import tests, with a running
LibreOffice Calc started as
    soffice --headless --invisible --norestore --accept="pipe,name=NAME;urp;"
and run as  /usr/bin/python3 make_workbooks.py NAME OUTPUT_FOLDER.

Sheet "Cleared": a title row, then checks whose numbers are text with leading zeros or plain
numbers, amounts as numbers shown with two decimals (and one as text with a currency sign),
dates cleared as dates shown month/day/year; a blank row; one more check. Sheet "Second": one
check in A1.
"""
import os
import sys
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def main(pipe, folder):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(60):
        try:
            ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            break
        except Exception:
            time.sleep(0.5)
    desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
    doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                       (prop("Hidden", True),))
    formats = doc.getNumberFormats()
    locale = uno.createUnoStruct("com.sun.star.lang.Locale")
    locale.Language = "en"
    locale.Country = "US"

    def fmt(code):
        key = formats.queryKey(code, locale, False)
        return key if key != -1 else formats.addNew(code, locale)

    money = fmt("#,##0.00")
    date = fmt("MM/DD/YYYY")
    sheets = doc.getSheets()
    sheet = sheets.getByIndex(0)
    sheet.setName("Cleared")

    def text(col, row, value):
        sheet.getCellByPosition(col, row).setString(value)

    def number(col, row, value, key=None):
        cell = sheet.getCellByPosition(col, row)
        cell.setValue(value)
        if key is not None:
            cell.NumberFormat = key

    text(0, 0, "Check")
    text(1, 0, "Amount")
    text(2, 0, "Cleared")
    text(0, 1, "0001234")           # a text cell: its leading zeros stay
    number(1, 1, 125, money)        # shown 125.00
    number(2, 1, 45306, date)       # 01/15/2024
    number(0, 2, 1235)              # a number cell
    number(1, 2, 1286.4, money)     # shown 1,286.40
    number(2, 2, 45307, date)       # 01/16/2024
    number(0, 3, 1236)
    text(1, 3, "$75.5")             # a text amount
    number(2, 3, 45308)             # a plain number, no date format
    number(0, 5, 1237)              # after one blank row
    number(1, 5, 10)                # shown 10 (general)
    sheets.insertNewByName("Second", 1)
    sheets.getByName("Second").getCellByPosition(0, 0).setString("555")

    base = os.path.abspath(folder)
    doc.storeToURL(uno.systemPathToFileUrl(os.path.join(base, "cleared.ods")),
                   (prop("FilterName", "calc8"),))
    doc.storeToURL(uno.systemPathToFileUrl(os.path.join(base, "cleared.xlsx")),
                   (prop("FilterName", "Calc Office Open XML"),))
    doc.close(True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
