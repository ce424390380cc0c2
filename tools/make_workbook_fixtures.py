#!/usr/bin/env python3
"""Regenerates the workbook fixtures of tests/workbook/data.

Each fixture is written as a flat OpenDocument spreadsheet (.fods), saved by
LibreOffice as .xlsx and .ods, and each saved workbook is exported with the
spreadsheet's own tab-separated Unicode text export into <name>.<ext>.txt:
the text drillmaker's conversion of that workbook must equal.

Needs LibreOffice (Debian: libreoffice-calc-nogui); not needed to run the
tests, which use the committed files.

    tools/make_workbook_fixtures.py [OUTPUT_FOLDER [NAME...]]

With NAMEs, only those fixtures are made.
"""
import os
import shutil
import subprocess
import sys
import tempfile
from xml.sax.saxutils import escape, quoteattr

EXPORT_FILTER = "txt:Text - txt - csv (StarCalc):9,34,65535,1,,0,false,true,true"

NUMBER_STYLES = """
  <number:number-style style:name="Nint"><number:number number:decimal-places="0" number:min-decimal-places="0" number:min-integer-digits="1"/></number:number-style>
  <number:number-style style:name="Ndec"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1"/></number:number-style>
  <number:number-style style:name="Nthousands"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
  <number:percentage-style style:name="Npct"><number:number number:decimal-places="0" number:min-decimal-places="0" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
  <number:percentage-style style:name="Npct2"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
  <number:time-style style:name="Nhhmm" number:truncate-on-overflow="false"><number:hours/><number:text>:</number:text><number:minutes number:style="long"/></number:time-style>
  <number:time-style style:name="Nhmm"><number:hours/><number:text>:</number:text><number:minutes number:style="long"/></number:time-style>
  <number:time-style style:name="Nmmss"><number:minutes number:style="long"/><number:text>:</number:text><number:seconds number:style="long"/></number:time-style>
  <number:time-style style:name="Nmss"><number:minutes/><number:text>:</number:text><number:seconds number:style="long"/></number:time-style>
  <number:time-style style:name="Nhmmss"><number:hours/><number:text>:</number:text><number:minutes number:style="long"/><number:text>:</number:text><number:seconds number:style="long"/></number:time-style>
  <number:date-style style:name="Nymd"><number:year number:style="long"/><number:text>/</number:text><number:month number:style="long"/><number:text>/</number:text><number:day number:style="long"/></number:date-style>
  <number:date-style style:name="Nmdy"><number:month number:style="long"/><number:text>/</number:text><number:day number:style="long"/><number:text>/</number:text><number:year/></number:date-style>
  <number:boolean-style style:name="Nbool"><number:boolean/></number:boolean-style>
"""

CELL_STYLES = {
    "int": "Nint", "dec": "Ndec", "thousands": "Nthousands", "pct": "Npct", "pct2": "Npct2",
    "hhmm": "Nhhmm", "hmm": "Nhmm", "mmss": "Nmmss", "mss": "Nmss", "hmmss": "Nhmmss",
    "ymd": "Nymd", "mdy": "Nmdy", "bool": "Nbool",
}

TEXT_STYLES = {
    "b": '<style:text-properties fo:font-weight="bold"/>',
    "i": '<style:text-properties fo:font-style="italic"/>',
    "u": '<style:text-properties style:text-underline-style="solid" style:text-underline-width="auto" style:text-underline-color="font-color"/>',
    "red": '<style:text-properties fo:color="#ff0000"/>',
}


def s(text, style=None):
    return ("s", text, style)


def n(value, style=None):
    return ("n", value, style)


def rich(*runs):
    """Runs of (text, text style or None)."""
    return ("rich", runs, None)


def formula(expr, kind, value, style=None):
    return ("f", (expr, kind, value), style)


def date(iso, style="ymd"):
    return ("d", iso, style)


def boolean(value):
    return ("b", value, "bool")


def time(hours, style):
    return ("n", hours / 24.0, style)


def paragraphs(text):
    return "".join("<text:p>%s</text:p>" % escape(p) for p in text.split("\n"))


def cell_xml(cell):
    if cell is None:
        return "<table:table-cell/>"
    kind, value, style = cell
    attrs = ""
    if style:
        attrs += ' table:style-name="ce_%s"' % style
    if kind == "s":
        return '<table:table-cell%s office:value-type="string">%s</table:table-cell>' % (attrs, paragraphs(value))
    if kind == "rich":
        body = "".join(escape(t) if st is None else '<text:span text:style-name="T_%s">%s</text:span>' % (st, escape(t))
                       for t, st in value)
        return '<table:table-cell%s office:value-type="string"><text:p>%s</text:p></table:table-cell>' % (attrs, body)
    if kind == "n":
        return '<table:table-cell%s office:value-type="float" office:value="%r"/>' % (attrs, value)
    if kind == "d":
        return '<table:table-cell%s office:value-type="date" office:date-value="%s"/>' % (attrs, value)
    if kind == "b":
        return '<table:table-cell%s office:value-type="boolean" office:boolean-value="%s"/>' % (
            attrs, "true" if value else "false")
    expr, vtype, v = value
    if vtype == "string":
        val = 'office:value-type="string" office:string-value=%s' % quoteattr(v)
    elif vtype == "boolean":
        val = 'office:value-type="boolean" office:boolean-value="%s"' % ("true" if v else "false")
    else:
        val = 'office:value-type="float" office:value="%r"' % v
    return '<table:table-cell%s table:formula=%s %s/>' % (attrs, quoteattr(expr), val)


def fods(sheets):
    styles = "".join('<style:style style:name="ce_%s" style:family="table-cell" style:parent-style-name="Default" '
                     'style:data-style-name="%s"/>' % (k, v) for k, v in CELL_STYLES.items())
    styles += "".join('<style:style style:name="ce_%s" style:family="table-cell" style:parent-style-name="Default">%s'
                      '</style:style>' % (k, v.replace("style:text-properties", "style:text-properties", 1))
                      for k, v in TEXT_STYLES.items())
    styles += "".join('<style:style style:name="T_%s" style:family="text">%s</style:style>' % (k, v)
                      for k, v in TEXT_STYLES.items())
    tables = []
    for name, rows in sheets:
        width = max((len(r) for r in rows), default=1)
        xml = ['<table:table table:name=%s>' % quoteattr(name),
               '<table:table-column table:number-columns-repeated="%d"/>' % width]
        for row in rows:
            xml.append("<table:table-row>%s</table:table-row>" % "".join(cell_xml(c) for c in row)
                       if row else "<table:table-row><table:table-cell/></table:table-row>")
        xml.append("</table:table>")
        tables.append("".join(xml))
    return """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>%s%s</office:automatic-styles>
<office:body><office:spreadsheet>%s</office:spreadsheet></office:body>
</office:document>
""" % (NUMBER_STYLES, styles, "".join(tables))


# The fixtures: name -> sheets, each a list of rows (None: empty cell; []: empty row).
FIXTURES = {
    "strings": [
        ("Sheet1", [
            [s("plain"), s("shared"), s("shared"), s("日本語のテキスト"), s("ｶﾀｶﾅ ﾃｽﾄ")],
            [rich(("plain ", None), ("bold", "b"), (" and ", None), ("italic", "i")), s("two\nlines"),
             s('say "hi"'), s("<B>own markup</B>")],
            [s("a"), None, s("c"), None, None],
            [],
            [s("x")],
            [s("  spaces  "), s("tail"), None],
        ]),
        ("Second", [[s("not read")]]),
    ],
    "numbers": [
        ("Numbers", [
            [n(42), n(3.14159), n(1234567.891), n(-0.5), n(0.0000001), n(123456789012345), n(0.1 + 0.2)],
            [n(3.7, "int"), n(2.345, "dec"), n(1234567.5, "thousands"), n(0.256, "pct"), n(0.1234, "pct2"),
             n(-2.5, "int")],
            [time(36.5, "hhmm"), time(18.75, "hmm"), time(0.5 / 60 * 5 + 1 / 3600 * 7, "mmss"),
             time(12 + 17 / 60 + 42 / 3600, "hmmss"), time(30 / 3600, "mss"), time(1 + 90 / 3600, "mmss")],
            [date("2023-02-14", "ymd"), date("1999-12-31", "mdy"), boolean(True), boolean(False)],
            [formula("of:=1+2", "float", 3), formula('of:=[.A6]&"x"', "string", "ax"),
             formula("of:=2>1", "boolean", True, "bool"), formula("of:=1/3", "float", 1 / 3, "dec")],
            [s("a")],
        ]),
    ],
    "edges": [
        ("Edges", [
            [n(1e15), n(1.5e-15), n(1e20), n(123456.7890123456), n(-1234567890123456), n(0.1 + 0.7), n(1e-5)],
            [time(59.6 / 3600, "hmm"), time(0.99999, "hmmss"), time(100.25, "hhmm"), n(-0.004, "dec"),
             n(0.5, "int"), n(1.005, "dec"), n(2.5, "int")],
            [s("=not a formula"), s("   "), s("tab\tinside"), s("ends with quote\""), s('"quoted"')],
            [None, None, None, None, None, None, s("last column")],
            [],
            [],
        ]),
    ],
    "styles": [
        ("Styles", [
            [s("bold cell", "b"), s("italic cell", "i"), s("underlined", "u"), s("red text", "red")],
            [rich(("a ", None), ("bold", "b"), (" b ", None), ("red", "red")), s("<B>kept</B>", "b"),
             rich(("x", "u"), ("y", "i"))],
        ]),
    ],
    "drill": [
        ("ドリル", [
            [s("設定"), s("問題を読んで、正しい答えの番号を選んでください。"), None, s("ドリル"), None, None],
            [s(h) for h in "分類1 分類2 分類3 問題番号 問題 正解 解説 制限時間 選択肢1 選択肢2 選択肢3 選択肢4".split()],
            [s("算数"), s("たし算"), s("1けた"), n(1), s("3 + 4 = ?"), n(2), s("3に4をたすと7です。"),
             time(30 / 3600, "mss"), n(6), n(7), n(8), n(9)],
            [s("算数"), s("たし算"), s("1けた"), n(2), s("5 + 2 = ?"), n(3), None, None, n(5), n(6), n(7)],
            [s("算数"), s("ひき算"), s("1けた"), n(1), s("<B>9 - 3</B> = ?"), n(1), s("<I>9から3をひく</I>と6です。"),
             time(60 / 3600, "mss"), n(6), n(5), n(4)],
            [s("英語"), s("単語"), s("動物"), n(1), s("「ねこ」は英語で?\n<P>cat.bmp</P>"), n(2),
             s("<V>cat.mp3</V>ねこは cat です。"), None, s("dog"), s("cat"), s("bird")],
            [s("英語"), s("単語"), s("動物"), n(2), s("「いぬ」は英語で?"), n(1), None, time(20 / 3600, "mss"),
             s("dog"), s("cat"), s("bird")],
            [s("英語"), s("単語"), s("色"), n(1), s('<TC color="red">赤</TC>は英語で?'), n(3), None, None,
             s("blue"), s("green"), s("red")],
        ]),
    ],
}


def run(args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                          os.path.join(os.path.dirname(__file__), "..", "tests", "workbook", "data"))
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        profile = "-env:UserInstallation=file://" + os.path.join(tmp, "profile")
        only = sys.argv[2:]
        for name, sheets in FIXTURES.items():
            if only and name not in only:
                continue
            src = os.path.join(tmp, name + ".fods")
            with open(src, "w", encoding="utf-8") as f:
                f.write(fods(sheets))
            for ext, filt in (("xlsx", "xlsx:Calc Office Open XML"), ("ods", "ods")):
                run(["soffice", profile, "--headless", "--convert-to", filt, "--outdir", tmp, src], tmp)
                saved = os.path.join(tmp, name + "." + ext)
                shutil.copy(saved, os.path.join(out, name + "." + ext))
                # Export the saved workbook, as a user's spreadsheet program would.
                exp = os.path.join(tmp, "export-" + ext)
                os.makedirs(exp, exist_ok=True)
                run(["soffice", profile, "--headless", "--convert-to", EXPORT_FILTER, "--outdir", exp, saved], tmp)
                shutil.copy(os.path.join(exp, name + ".txt"), os.path.join(out, name + "." + ext + ".txt"))


if __name__ == "__main__":
    main()
