#!/usr/bin/env python3
"""check_translations.py LUPDATE SOURCE_DIR [GALLERY_DIR SHEETS_DIR [THEME=GALLERY_DIR...]]

Fails when a translation file under SOURCE_DIR/translations is behind the sources: a text that is
new (unfinished), changed or gone (vanished or obsolete), or a translation that drops one of its
text's placeholders. The files are brought up to date in a scratch folder, so the check sees the
sources as they are now, not as the files last saw them.

With a gallery folder, also puts each language's pictures (light theme) on a contact sheet, and
the English pictures of each icon theme's gallery on one of the theme's.
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

lupdate, source_dir = sys.argv[1], sys.argv[2]
sources = sorted(glob.glob(os.path.join(source_dir, "src", "**", "*.cpp"), recursive=True) +
                 glob.glob(os.path.join(source_dir, "src", "**", "*.h"), recursive=True))
problems = []
placeholder = re.compile(r"%(?:L?n|\d)")

with tempfile.TemporaryDirectory() as scratch:
    for original in sorted(glob.glob(os.path.join(source_dir, "translations", "*.ts"))):
        name = os.path.basename(original)
        copy = os.path.join(scratch, name)
        shutil.copyfile(original, copy)
        options = ["-pluralonly", "-source-language", "en"] if name.endswith("_en.ts") else []
        run = subprocess.run([lupdate, "-I", os.path.join(source_dir, "src"), "-locations", "none",
                              *options, *sources, "-ts", copy], capture_output=True, text=True)
        if run.returncode != 0:
            problems.append(f"{name}: lupdate failed: {run.stderr.strip()}")
            continue
        for context in ElementTree.parse(copy).getroot().iter("context"):
            where = context.findtext("name")
            for message in context.iter("message"):
                source = message.findtext("source") or ""
                translation = message.find("translation")
                kind = translation.get("type") if translation is not None else "unfinished"
                if kind in ("unfinished", "vanished", "obsolete"):
                    problems.append(f"{name}: {where}: \"{source}\" is {kind}")
                    continue
                forms = [form.text or "" for form in translation.iter("numerusform")] or \
                        [translation.text or ""]
                wanted = set(placeholder.findall(source))
                # A form for exactly one may say "one" in words instead of %n.
                for index, form in enumerate(forms):
                    missing = wanted - set(placeholder.findall(form))
                    if len(forms) > 1 and index == 0:
                        missing.discard("%n")
                    if missing:
                        problems.append(f"{name}: {where}: \"{form}\" lacks {sorted(missing)}")

def sheet(pictures, path):
    if pictures:
        subprocess.run(["montage", *pictures, "-tile", "6x", "-geometry", "+6+6",
                        "-background", "#e8e8e8", path], check=False)


if len(sys.argv) > 4 and shutil.which("montage"):
    gallery, sheets = sys.argv[3], sys.argv[4]
    os.makedirs(sheets, exist_ok=True)
    languages = ["en"] + [os.path.basename(path)[len("bobbinlark_"):-len(".ts")]
                          for path in sorted(glob.glob(os.path.join(source_dir, "translations",
                                                                    "bobbinlark_*.ts")))
                          if not path.endswith("_en.ts")]
    for language in languages:
        middle = "" if language == "en" else f"-{language}"
        pictures = sorted(glob.glob(os.path.join(gallery, f"a11y-*{middle}-light.png")) +
                          glob.glob(os.path.join(gallery, f"a11y-*{middle}-large-light.png")))
        if language == "en":
            pictures = [p for p in pictures
                        if not re.search(r"-(%s)(-large)?-light\.png$" % "|".join(languages[1:] + ["pseudo"]), p)]
        sheet(pictures, os.path.join(sheets, f"language-{language}.png"))
    others = "|".join(languages[1:] + ["pseudo"])
    for theme, folder in (argument.split("=", 1) for argument in sys.argv[5:]):
        sheet([p for p in sorted(glob.glob(os.path.join(folder, "*-light.png")))
               if not re.search(r"-(%s|large)-light\.png$" % others, p)],
              os.path.join(sheets, f"icon-theme-{theme}.png"))

for problem in problems:
    print(problem)
print(f"{len(problems)} problem(s) in the translations")
sys.exit(1 if problems else 0)
