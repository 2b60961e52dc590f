# SPDX-License-Identifier: GPL-3.0-or-later
# Measures what a reader sees of every source, saved file and PDF of a current-format corpus
# run (run_modern.sh) with the watermark probe. Usage: measure.py WORK PROBE
import json, os, subprocess, sys
from concurrent.futures import ThreadPoolExecutor
C = sys.argv[1]
PROBE = sys.argv[2]  # watermark-probe: renders a file as a reader sees it and measures the mark
KINDS = ["docx", "odt", "xlsx", "ods", "pptx", "odp"]
OPAC = {"docx": 0.5, "odt": 0.5, "xlsx": 0.3, "ods": 0.3, "pptx": 0.3, "odp": 0.3}
def probe(path):
    r = subprocess.run([PROBE, path, "--color", "255,0,255", "--json"], capture_output=True, text=True, timeout=300)
    try: m = json.loads(r.stdout) if r.returncode == 0 else None
    except Exception: m = None
    return r.returncode, m
jobs = []
for k in KINDS:
    for f in sorted(os.listdir(f"{C}/src/{k}")):
        base = os.path.splitext(f)[0]
        jobs.append((k, f, "src", f"{C}/src/{k}/{f}"))
        jobs.append((k, f, "saved", f"{C}/out/save/{k}/{f}"))
        jobs.append((k, f, "pdf", f"{C}/out/pdf/{k}/{base}.pdf"))
def run(j):
    k, f, what, path = j
    if not os.path.exists(path): return j, None, None
    rc, m = probe(path)
    return j, rc, m
with ThreadPoolExecutor(2) as ex:
    results = list(ex.map(run, jobs))
json.dump([[list(j), rc, m] for j, rc, m in results], open(f"{C}/measure.json", "w"), indent=1)
