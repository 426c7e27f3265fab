#!/usr/bin/env python3
"""Writes a pseudo-translation of a Qt .ts file: every text 40% longer, its letters accented and
bracketed, its placeholders (%1, %n, %L1) kept, so that a layout that cuts or clips a translation
shows it at once. Usage: pseudo-translate.py IN.ts OUT.ts"""
import math
import re
import sys
import xml.etree.ElementTree as ET

ACCENTED = dict(zip("aceinorsuyzACEINORSUYZ", "àçéîñöŕšüýžÀÇÉÎÑÖŔŠÜÝŽ"))
PLACEHOLDER = re.compile(r"%L?\d|%n")


def pseudo(text):
    parts = PLACEHOLDER.split(text)
    holders = PLACEHOLDER.findall(text)
    out = "".join(
        "".join(ACCENTED.get(c, c) for c in part) + (holders[i] if i < len(holders) else "")
        for i, part in enumerate(parts))
    longer = math.ceil(len(text) * 1.4) - len(text) - 2  # the brackets count
    return "[" + out + "~" * max(0, longer) + "]"


tree = ET.parse(sys.argv[1])
root = tree.getroot()
root.set("language", "eo")
for message in root.iter("message"):
    source = message.findtext("source", "")
    translation = message.find("translation")
    translation.clear()
    if message.get("numerus") == "yes":
        for _ in range(2):
            ET.SubElement(translation, "numerusform").text = pseudo(source)
    else:
        translation.text = pseudo(source)
tree.write(sys.argv[2], encoding="utf-8", xml_declaration=True)
