#!/usr/bin/env python3
"""Writes resources.qrc from the files in pictures/ and sounds/, so the list never drifts."""
import os

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)

def files(folder, exts):
    return sorted(f for f in os.listdir(os.path.join(root, folder)) if f.endswith(exts))

lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">']
for folder, exts in (("pictures", (".png", ".jpg")), ("sounds", (".wav",))):
    lines.append(f'  <qresource prefix="/{folder}">')
    for f in files(folder, exts):
        lines.append(f'    <file alias="{f}">{folder}/{f}</file>')
    lines.append('  </qresource>')
lines.append('</RCC>')
with open(os.path.join(root, "resources.qrc"), "w") as out:
    out.write("\n".join(lines) + "\n")
