#!/usr/bin/env python3
"""Packs the programs for Windows users into one archive.

    make-dist.py OUTPUT.zip VERSION LAUNCHER.exe EDITOR.exe SAMPLE.ini README.txt

The archive holds one folder, pimbo-VERSION, with pimbo.exe, pimbosetting.exe, pimbo.ini
(the sample, turned into code page 932 with CR LF line ends, as the settings editor writes it)
and readme.txt (CR LF line ends, UTF-8 with a byte-order mark so that Notepad shows it right).
Only the standard library is used.
"""

import os
import sys
import zipfile


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n")


def main(argv):
    if len(argv) != 7:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    output, version, launcher, editor, sample, readme = argv[1:]
    folder = f"pimbo-{version}"
    with open(sample, encoding="utf-8") as f:
        ini = crlf(f.read()).encode("cp932")
    with open(readme, encoding="utf-8") as f:
        notes = crlf(f.read().replace("@VERSION@", version)).encode("utf-8-sig")
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    temporary = output + ".part"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.write(launcher, f"{folder}/pimbo.exe")
        archive.write(editor, f"{folder}/pimbosetting.exe")
        archive.writestr(f"{folder}/pimbo.ini", ini)
        archive.writestr(f"{folder}/readme.txt", notes)
    os.replace(temporary, output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
