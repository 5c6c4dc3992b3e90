#!/usr/bin/env python3
"""Runs lupdate over the sources into a copy of a .ts file and fails when
the copy holds a text without its translation (new in the sources) or one
the sources no longer have (obsolete or vanished), naming each.

check_catalog.py LUPDATE SOURCES_LIST INCLUDE_DIR TS_FILE [LUPDATE OPTIONS...]
"""
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

lupdate, sources, include_dir, ts_file, *options = sys.argv[1:]
with tempfile.TemporaryDirectory() as folder:
    copy = Path(folder) / Path(ts_file).name
    shutil.copy(ts_file, copy)
    run = subprocess.run([lupdate, "@" + sources, "-I", include_dir, *options, "-ts", str(copy)],
                         capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"lupdate failed:\n{run.stdout}{run.stderr}")
    root = ET.parse(copy).getroot()

faults = []
for context in root.iter("context"):
    for message in context.iter("message"):
        translation = message.find("translation")
        kind = translation.get("type")
        forms = [form.text for form in translation.iter("numerusform")] or [translation.text]
        if kind in ("unfinished", "obsolete", "vanished") or not all(forms):
            faults.append(f"{kind or 'empty'}: {context.findtext('name')}: {message.findtext('source')!r}")
for fault in faults:
    print(fault)
print(f"{Path(ts_file).name}: {len(faults)} text(s) to mend")
sys.exit(1 if faults else 0)
