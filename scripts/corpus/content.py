#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# What LibreOffice reads of a document, source against stamped copy. Both files are converted
# to flat OpenDocument by a fresh LibreOffice (as a reader's office would open them) and counted:
# the words of all text (body, headers, footers, notes, comments, cells, text boxes), pictures,
# embedded objects, charts, animations, notes pages with text, comments, fields and macro
# libraries. The mark's own words (MARK, the job's watermark text) are left out, and so are the
# shapes that carry them.
#
# Usage: content.py WORK MARK
#   WORK/src/<kind>/<file> the sources, WORK/out/<kind>/<file> the stamped copies (a missing
#   copy is a file that was not stamped), WORK/flat/{src,out}/<kind>/ the flat conversions
#   (made here when missing). Prints one line per file that lost something and a table per
#   kind; writes WORK/content.json. Exit status 1 when a readable file was not stamped or lost
#   something that the same file opened and saved by LibreOffice without a mark keeps
#   (WORK/rt/<kind>/<file>): that loss is the stamp's doing.
import collections, json, os, re, subprocess, sys
import xml.etree.ElementTree as ET

WORK, MARK = sys.argv[1], sys.argv[2]
# Kinds whose stamped copies must keep everything, whatever a plain LibreOffice save loses
# (their marks are spliced into the source file): KEEP_ALL="ppt xls".
KEEP_ALL = set(os.environ.get("KEEP_ALL", "").split())
FLAT = {"doc": "fodt", "odt": "fodt", "xls": "fods", "ods": "fods", "ppt": "fodp", "odp": "fodp"}
NS = {
    "draw": "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0",
    "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "anim": "urn:oasis:names:tc:opendocument:xmlns:animation:1.0",
    "presentation": "urn:oasis:names:tc:opendocument:xmlns:presentation:1.0",
    "chart": "urn:oasis:names:tc:opendocument:xmlns:chart:1.0",
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "ooo": "http://openoffice.org/2004/office",
    "script": "urn:oasis:names:tc:opendocument:xmlns:script:1.0",
}
def q(prefix, name): return "{%s}%s" % (NS[prefix], name)

FIELDS = {q("text", n) for n in (
    "page-number", "page-count", "date", "time", "title", "subject", "author-name",
    "author-initials", "file-name", "chapter", "sequence", "user-defined", "user-field-get",
    "variable-get", "variable-set", "expression", "text-input", "drop-down", "database-display",
    "reference-ref", "bookmark-ref", "note-ref", "sequence-ref", "sender-firstname",
    "creation-date", "creation-time", "modification-date", "print-date", "word-count",
    "character-count", "paragraph-count", "sheet-name", "description", "keywords",
    "initial-creator", "creator", "editing-cycles", "editing-duration", "template-name")} | {
    q("presentation", n) for n in ("footer", "date-time", "header")}
WORD = re.compile(r"\w+", re.UNICODE)


def convert(kind, side):
    src = os.path.join(WORK, side, kind)
    dst = os.path.join(WORK, "flat", side, kind)
    if not os.path.isdir(src): return
    os.makedirs(dst, exist_ok=True)
    todo = [f for f in sorted(os.listdir(src))
            if not os.path.exists(os.path.join(dst, os.path.splitext(f)[0] + "." + FLAT[kind]))]
    if not todo: return
    profile = "file://" + os.path.join(WORK, "flatprofile")
    for f in todo:  # one file a call: a file that hangs or crashes the office costs only itself
        try:
            subprocess.run(["soffice", "--headless", "--norestore", "--nolockcheck",
                            f"-env:UserInstallation={profile}", "--convert-to", FLAT[kind],
                            "--outdir", dst, os.path.join(src, f)],
                           capture_output=True, timeout=240)
        except subprocess.TimeoutExpired:
            subprocess.run(["pkill", "-9", "-f", profile])


def is_mark(el):
    name = el.get(q("draw", "name"), "")
    if name.startswith("QuillmarkWaterMarkObject"): return True
    words = WORD.findall("".join(el.itertext()))
    return bool(words) and all(w == MARK for w in words)


def measure(path):
    try:
        root = ET.parse(path).getroot()
    except Exception as e:
        return {"error": str(e)}
    # Leave out the marks (their words and shapes) before counting.
    parent = {c: p for p in root.iter() for c in p}
    def drop(el, keep_tail):
        """Removes el; the text that follows it in its parent stays when keep_tail."""
        up = parent.get(el)
        if up is None: return
        if keep_tail and el.tail:
            siblings = list(up)
            i = siblings.index(el)
            if i > 0: siblings[i - 1].tail = (siblings[i - 1].tail or "") + el.tail
            else: up.text = (up.text or "") + el.tail
        up.remove(el)
    for el in list(root.iter(q("draw", "custom-shape"))):
        if is_mark(el): drop(el, True)
    # A field shows what it computes when the file is read (date, time, file name, page):
    # fields are counted, their shown text is not compared.
    fields = sum(1 for el in root.iter() if el.tag in FIELDS)
    for el in [el for el in root.iter() if el.tag in FIELDS]:
        for child in list(el): el.remove(child)
        el.text = ""
    # Only what a reader sees: the body and the master pages (headers, footers, master
    # shapes); metadata and settings change with every save, and pictures' binary data is
    # counted as pictures, not words.
    for el in list(root.iter(q("office", "binary-data"))):
        el.text = ""
    # A comment's time is made up at reading when the file has none.
    for el in root.iter("{http://purl.org/dc/elements/1.1/}date"):
        el.text = ""
    # Embedded documents carry metadata and view settings of their own.
    for el in [el for el in root.iter() if el.tag in (q("office", "meta"), q("office", "settings"))]:
        for child in list(el): el.remove(child)
    # Words end where paragraphs, cells and tabs end, not where a span of formatting does.
    for el in root.iter():
        if el.tag in (q("text", "p"), q("text", "h"), q("text", "tab"), q("text", "s"),
                      q("text", "line-break")):
            el.tail = " " + (el.tail or "")
    seen = [el for el in root if el.tag in (q("office", "body"), q("office", "master-styles"))]
    text = "".join(t for el in seen for t in el.itertext())
    words = collections.Counter(w for w in WORD.findall(text) if w != MARK)
    count = lambda tag: sum(1 for _ in root.iter(tag))
    notes_with_text = sum(1 for n in root.iter(q("presentation", "notes"))
                          if any(WORD.findall("".join(f.itertext()))
                                 for f in n.iter(q("draw", "frame"))
                                 if f.get(q("presentation", "class")) == "notes"))
    anim = sum(1 for el in root.iter() if el.tag.startswith("{%s}" % NS["anim"]))
    macros = sum(1 for el in root.iter() if el.tag in (q("ooo", "library-embedded"),
                                                       q("ooo", "library-linked")))
    return {
        "words": sum(words.values()), "vocab": dict(words),
        "pictures": count(q("draw", "image")),
        "objects": count(q("draw", "object")) + count(q("draw", "object-ole")),
        "charts": count(q("chart", "chart")),
        "animations": anim,
        "notes": notes_with_text,
        "comments": count(q("office", "annotation")),
        "fields": fields,
        "macros": macros,
    }


KEYS = ["words", "pictures", "objects", "charts", "animations", "notes", "comments", "fields",
        "macros"]


def compare(a, b):
    """What the stamped copy b lost or changed against the source a, in words."""
    lost = []
    for k in KEYS:
        if a[k] != b[k]: lost.append("%s %d -> %d" % (k, a[k], b[k]))
    if a["words"] == b["words"] and a["vocab"] != b["vocab"]:
        lost.append("words differ")
    return lost


def main():
    results, table, faults = {}, [], 0
    for kind in ["doc", "xls", "ppt", "odt", "ods", "odp"]:
        if not os.path.isdir(os.path.join(WORK, "src", kind)): continue
        for side in ("src", "out", "rt"): convert(kind, side)
        files = sorted(os.listdir(os.path.join(WORK, "src", kind)))
        readable = stamped = kept = 0
        for f in files:
            flat = os.path.splitext(f)[0] + "." + FLAT[kind]
            s = os.path.join(WORK, "flat", "src", kind, flat)
            o = os.path.join(WORK, "flat", "out", kind, flat)
            if not os.path.exists(s):
                results[kind + "/" + f] = "unreadable"
                continue
            readable += 1
            if not os.path.exists(os.path.join(WORK, "out", kind, f)):
                results[kind + "/" + f] = "not stamped"
                print("%s/%s: not stamped" % (kind, f))
                faults += 1
                continue
            stamped += 1
            if not os.path.exists(o):
                results[kind + "/" + f] = "stamped copy unreadable"
                print("%s/%s: stamped copy unreadable" % (kind, f))
                continue
            a, b = measure(s), measure(o)
            if "error" in a or "error" in b:
                results[kind + "/" + f] = "flat file unreadable"
                continue
            lost = compare(a, b)
            results[kind + "/" + f] = lost or "kept"
            if lost:
                # The same file opened and saved by LibreOffice without a mark: what it loses
                # too is the export's doing, not the stamp's.
                r = os.path.join(WORK, "flat", "rt", kind, flat)
                c = measure(r) if os.path.exists(r) else {"error": "no round trip"}
                cause = ("" if "error" in c else
                         " [a plain LibreOffice save loses the same]" if compare(a, c) == lost else
                         " [a plain LibreOffice save: %s]" % ("; ".join(compare(a, c)) or "keeps it"))
                results[kind + "/" + f] = lost + [cause.strip(" []")]
                if "error" in c or compare(a, c) != lost or kind in KEEP_ALL: faults += 1
                print("%s/%s: %s%s" % (kind, f, "; ".join(lost), cause))
            else:
                kept += 1
        table.append((kind, len(files), readable, stamped, kept))
    json.dump(results, open(os.path.join(WORK, "content.json"), "w"), indent=1)
    print()
    print("kind  files readable stamped kept  kept%")
    for kind, n, r, s, k in table:
        print("%-5s %5d %8d %7d %4d  %5.1f" % (kind, n, r, s, k, 100.0 * k / r if r else 0))
    print("%d file(s) lost by the stamp what a plain LibreOffice save keeps, or not stamped" % faults)
    return 1 if faults else 0


sys.exit(main())
