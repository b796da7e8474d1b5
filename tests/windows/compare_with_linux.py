#!/usr/bin/env python3
"""The same statements against the control on both systems: the `zorvax` command of the Linux
build, and JScript under Wine's cscript with the registered zorvax.ocx. Both talk to the one
document server (with_docserver.sh starts it), and their answers, downloaded files, saved XML
files and name lookups must agree.

  compare_with_linux.py --zorvax PATH --ocx PATH --names PATH --wine-run PATH
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Korean written once; JScript gets it as \\u escapes, zorvax as UTF-8.
DOCUMENT = "보고서 2024.hwp"
VALUE = "한글 값 1"

# Every name of the dispatch table, for the lookups.
NAMES = ["Port", "Package", "Hostname", "Pubkey", "Filename", "url", "size", "FileFilter", "dialog", "ret",
         "setRegisterIfEmpty", "setRegisterValue", "Run", "getRegisterValue", "getVersion", "download", "getPath",
         "removeFile", "showFile", "saveXml", "upload", "getMACAddr", "saveFile", "saveXmlWithStyle", "AboutBox",
         "test_zorvax", "noSuchName"]
# The locales the name lookups are compared in: none, the library's own, and Korean (for
# which the library is not registered, so the control's own table answers).
LOCALES = ("0", "1033", "1042")

XML = ('<?xml version="1.0"?>\n<?xml-stylesheet type="text/xsl" href="http://example.invalid/styles/old.xsl"?>\n'
       '<문서 번호="7"><제목>분기 보고서</제목><내용>가나다 &amp; abc</내용></문서>\n')


def statements(server):
    """(kind, name, arguments) as `zorvax` takes them; every one that prints answers a line."""
    return [
        ("get", "Port", []), ("get", "Package", []), ("get", "dialog", []), ("call", "getVersion", []),
        ("set", "Package", ["COMPARE"]),
        ("call", "setRegisterValue", ["k", VALUE]), ("call", "getRegisterValue", ["k"]),
        ("call", "setRegisterIfEmpty", ["k", "other"]), ("call", "getRegisterValue", ["k"]),
        ("call", "getRegisterValue", ["absent"]),
        ("set", "Port", ["8080"]), ("get", "Port", []),
        ("set", "url", [server["ZX_DOCSERVER_DOWNLOAD_URL"] + DOCUMENT]),
        ("set", "Pubkey", [server["ZX_DOCSERVER_PUBKEY"]]),
        ("set", "dialog", ["0"]), ("set", "Filename", [DOCUMENT]),
        ("call", "download", ["user01", "session01", "1", "1"]), ("get", "ret", []),
        ("get", "Port", []), ("get", "Hostname", []),
        ("set", "dialog", ["0"]), ("call", "saveXmlWithStyle", ["@xml", "new.xsl"]), ("get", "ret", []),
    ]


def js_string(text):
    return '"' + "".join(c if 0x20 <= ord(c) < 0x7F and c not in '"\\' else "\\u%04x" % ord(c) for c in text) + '"'


def jscript(steps, xml_windows_path):
    lines = ["var c = new ActiveXObject('ZORVAX.ZorvAXCtrl.1');",
             "var d = new ActiveXObject('Microsoft.XMLDOM'); d.async = false; d.load(%s);" % js_string(xml_windows_path)]
    for kind, name, args in steps:
        if kind == "get":
            lines.append("WScript.Echo(c.%s);" % name)
        elif kind == "set":
            lines.append("c.%s = %s;" % (name, js_string(args[0])))
        else:
            values = ", ".join("d" if a == "@xml" else js_string(a) for a in args)
            lines.append("WScript.Echo(c.%s(%s));" % (name, values))
    # Where the files went, for the comparison of their bytes.
    lines.append("WScript.Echo('saved ' + c.Filename);")
    return "\n".join(lines) + "\n"


def zorvax_arguments(steps, xml_path):
    arguments = []
    for kind, name, args in steps:
        arguments += [kind, name] + [("@xml:" + xml_path) if a == "@xml" else a for a in args]
    return arguments + ["get", "Filename"]


def markup(xml_bytes):
    """The document without the white space a serialiser puts between tags: the system's DOM
    ends lines with CR LF (and Wine's indents elements), the Linux stand-in with LF."""
    return re.sub(rb">\s+<", b"><", xml_bytes.replace(b"\r\n", b"\n")).strip()


def unix_path(windows_path):
    assert windows_path[:2].upper() == "Z:", windows_path
    return windows_path[2:].replace("\\", "/")


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--zorvax", "--ocx", "--names", "--wine-run"):
        parser.add_argument(option, required=True)
    options = parser.parse_args()
    server = {key: value for key, value in os.environ.items() if key.startswith("ZX_DOCSERVER_")}
    if "ZX_DOCSERVER_DOWNLOAD_URL" not in server:
        sys.exit("compare_with_linux: run me through with_docserver.sh")
    steps = statements(server)
    work = tempfile.mkdtemp(prefix="zorvax-compare.")
    failures = []
    try:
        xml_path = os.path.join(work, "page.xml")
        with open(xml_path, "w", encoding="utf-8") as f:
            f.write(XML)
        linux_tmp, windows_tmp = os.path.join(work, "linux"), os.path.join(work, "windows")
        os.makedirs(linux_tmp)
        os.makedirs(windows_tmp)

        # Linux: the zorvax command with a home and temporary folder of its own.
        environment = dict(os.environ, TMP=linux_tmp, TMPDIR=linux_tmp, ZORVAX_HOME=os.path.join(work, "home"))
        environment.pop("DISPLAY", None)
        linux = subprocess.run([options.zorvax, "--ui=console"] + zorvax_arguments(steps, xml_path),
                               env=environment, capture_output=True, timeout=300)
        linux_lines = linux.stdout.decode("utf-8").splitlines()
        ids = {}
        subprocess.run([options.zorvax, "--ui=console", "register"], env=environment, capture_output=True, check=True)
        for lcid in LOCALES:
            run = subprocess.run([options.zorvax, "--ui=console", "--lcid", lcid, "ids"] + NAMES, env=environment,
                                 capture_output=True, timeout=60)
            ids[lcid] = run.stdout.decode().splitlines()

        # Windows: regsvr32, then cscript and the name lookups in the same Wine prefix.
        with open(os.path.join(work, "compare.js"), "w", encoding="ascii") as f:
            f.write(jscript(steps, windows_path(xml_path)))
        out = lambda name: windows_path(os.path.join(work, name))
        names = " ".join(NAMES)
        batch = "\r\n".join([
            "@echo off",
            'regsvr32 /s "%s"' % options.ocx,
            "set TMP=%s" % windows_path(windows_tmp), "set TEMP=%s" % windows_path(windows_tmp),
            'cscript //nologo "%s" > "%s" 2> "%s"' % (out("compare.js"), out("windows.out"), out("windows.err")),
            ] + ['"%s" %s %s > "%s"' % (options.names, lcid, names, out("ids%s.out" % lcid)) for lcid in LOCALES] + [
            ""])
        with open(os.path.join(work, "compare.bat"), "w", encoding="ascii") as f:
            f.write(batch)
        subprocess.run([options.wine_run, "cmd", "/c", out("compare.bat")], capture_output=True, timeout=600)
        read = lambda name, encoding: open(os.path.join(work, name), "rb").read().decode(encoding).splitlines()
        windows_lines = read("windows.out", "cp949")

        # The last line names the saved XML file; the download went to the temporary folder.
        linux_saved, windows_saved = linux_lines.pop(), windows_lines.pop()
        if windows_lines != linux_lines:
            failures.append("answers differ:\n  linux:   %r\n  windows: %r\n  linux stderr: %s\n  windows stderr: %s"
                            % (linux_lines, windows_lines, linux.stderr.decode("utf-8", "replace"),
                               open(os.path.join(work, "windows.err"), "rb").read().decode("cp949", "replace")))
        for lcid in LOCALES:
            name = "ids%s.out" % lcid
            if read(name, "ascii") != ids[lcid]:
                failures.append("name lookups with locale %s differ:\n  linux:   %r\n  windows: %r"
                                % (lcid, ids[lcid], read(name, "ascii")))
        downloaded = [open(os.path.join(folder, DOCUMENT), "rb").read() if os.path.exists(os.path.join(folder, DOCUMENT))
                      else None for folder in (linux_tmp, windows_tmp)]
        original = open(os.path.join(unix_path(server["ZX_DOCSERVER_DATA"]), DOCUMENT), "rb").read()
        if downloaded != [original, original]:
            failures.append("the downloaded documents differ from the server's (linux %s, windows %s)"
                            % tuple("missing" if d is None else "%d bytes" % len(d) for d in downloaded))
        saved_linux = open(linux_saved, "rb").read()
        saved_windows = open(unix_path(windows_saved[len("saved "):]), "rb").read()
        if markup(saved_linux) != markup(saved_windows):
            failures.append("saveXmlWithStyle wrote different files:\n  linux:   %r\n  windows: %r"
                            % (saved_linux, saved_windows))
        elif b'encoding="euc-kr"' not in saved_linux or b"/styles/new.xsl" not in saved_linux:
            failures.append("the saved XML lacks its declaration or style sheet: %r" % saved_linux)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        sys.exit("\n".join(failures))
    print("zorvax on Linux and JScript with zorvax.ocx under Wine agree on %d statements, %d name lookups,"
          " the download and the saved XML" % (len(steps), 2 * len(NAMES)))


if __name__ == "__main__":
    main()
