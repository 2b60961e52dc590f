# SPDX-License-Identifier: GPL-3.0-or-later
# Share of pages that carry the mark, per kind, for a legacy corpus run (run_legacy.sh): the
# saved and restamped files (converted to PDF by a fresh LibreOffice, as a reader opens them)
# and the printed PDFs, each page rendered and looked at by the watermark probe. A file with
# pages the probe finds unmarked is probed again against its source (the mark read as blended
# over the source's own page: coloured slides, pictures): the "against" column.
# Usage: measure_pages.py WORK PROBE [KINDS...]
import glob, json, os, subprocess, sys
from concurrent.futures import ThreadPoolExecutor
C, PROBE = sys.argv[1], sys.argv[2]
KINDS = sys.argv[3:] or ["doc", "xls", "ppt"]
OPAC = {"doc": 0.5, "xls": 0.3, "ppt": 0.3}

def convert(src_dir, out_dir):
    os.makedirs(out_dir, exist_ok=True)
    files = sorted(glob.glob(src_dir + "/*"))
    if files:
        subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{C}/measure-profile",
                        "--convert-to", "pdf", "--outdir", out_dir, *files], capture_output=True, timeout=1800)

def pages(pdf):
    r = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True)
    for line in r.stdout.splitlines():
        if line.startswith("Pages:"):
            return int(line.split()[1])
    return 0

def probe(pdf, against=None):
    r = subprocess.run([PROBE, pdf, "--pages", "0", "--color", "255,0,255", "--json"] +
                       (["--against", against] if against else []),
                       capture_output=True, text=True, timeout=600)
    total = pages(pdf)
    if r.returncode != 0:
        return pdf, 0, total, None
    m = json.loads(r.stdout)
    return pdf, int(m["marked"].split("/")[0]), int(m["marked"].split("/")[1]), m

jobs = []
for k in KINDS:
    for what in ("save", "restamp"):
        src = f"{C}/out/{what}/{k}"
        if os.path.isdir(src):
            convert(src, f"{C}/conv/{what}/{k}")
            jobs += [(k, what, p) for p in sorted(glob.glob(f"{C}/conv/{what}/{k}/*.pdf"))]
    jobs += [(k, "pdf", p) for p in sorted(glob.glob(f"{C}/out/pdf/{k}/*.pdf"))]
def measure(job):
    k, what, pdf = job
    result = probe(pdf)
    against = result
    if result[1] < result[2]:
        source = f"{C}/src/{k}/" + os.path.splitext(os.path.basename(pdf))[0] + "." + k
        if os.path.exists(source):
            against = probe(pdf, source)
    return job, result, against

with ThreadPoolExecutor(2) as ex:
    results = list(ex.map(measure, jobs))
table, details = {}, []
for (k, what, _), (pdf, marked, total, m), (_, marked2, _, m2) in results:
    row = table.setdefault((k, what), [0, 0, 0, 0, 0])
    row[0] += 1; row[1] += marked; row[2] += total; row[4] += max(marked, marked2)
    mm = m if m is not None else m2  # a mark seen only against the source is measured so
    true = mm is not None and abs(mm["angle"] - 45) <= 4 and abs(mm["opacity"] - OPAC[k]) <= 0.12
    row[3] += true
    if marked < total or not true:
        details.append((k, what, os.path.basename(pdf), f"{marked}/{total}",
                        f"against source {marked2}/{total}",
                        m and m["angle"], m and m["opacity"], m and m["clipped"]))
print("kind what     files  pages marked  share   against  share   true-to-setting files")
for (k, what), (files, marked, total, true, against) in sorted(table.items()):
    print("%-4s %-8s %5d %6d %6d %6.1f%%  %6d %6.1f%%  %d" % (
        k, what, files, total, marked, 100.0 * marked / max(total, 1), against,
        100.0 * against / max(total, 1), true))
print()
for d in details:
    print(d)
json.dump([[list(j), r[1], r[2], r[3], a[1]] for j, r, a in results], open(f"{C}/pages.json", "w"), indent=1)
