# SPDX-License-Identifier: GPL-3.0-or-later
# The figures of a measured corpus run per kind: readable, stamped, visible and true to the
# setting (angle within 4 degrees of 45, opacity within 0.12), saved and PDF. Usage: table.py WORK
import json, sys
C = sys.argv[1]
R = json.load(open(f"{C}/measure.json"))
OPAC = {"docx": 0.5, "odt": 0.5, "xlsx": 0.3, "ods": 0.3, "pptx": 0.3, "odp": 0.3}
by = {}
for (k, f, what, path), rc, m in R:
    by.setdefault(k, {}).setdefault(f, {})[what] = (rc, m)
print("kind  files readable stamped | saved: visible true(angle,opacity) angle-ok opacity-ok | pdf: visible true angle-ok opacity-ok")
details = []
for k in ["docx", "odt", "xlsx", "ods", "pptx", "odp"]:
    files = by[k]
    readable = [f for f, d in files.items() if d.get("src", (None,))[0] in (0, 1)]
    row = [k, len(files), len(readable)]
    stamped = [f for f in readable if files[f].get("saved", (None,))[0] is not None]
    row.append(len(stamped))
    for out in ("saved", "pdf"):
        vis = tru = aok = ook = 0
        for f in readable:
            rc, m = files[f].get(out, (None, None))
            if rc == 0 and m:
                vis += 1
                a = abs(m["angle"] - 45) <= 4; o = abs(m["opacity"] - OPAC[k]) <= 0.12
                aok += a; ook += o; tru += a and o
                if not (a and o): details.append((k, out, f, m["angle"], m["opacity"], m["cx"], m["cy"]))
            else:
                details.append((k, out, f, "rc", rc))
        row += [vis, tru, aok, ook]
    print("%-5s %3d %3d %3d | %3d %3d %3d %3d | %3d %3d %3d %3d" % tuple(row))
print()
for d in details: print(d)
