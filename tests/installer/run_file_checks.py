#!/usr/bin/env python3
# What `make package` made (the release exe, and in dist/ the setup program and the portable
# zip), read as files: no Wine, no display. `make test-installer` runs these before the cases
# under Wine (run_installer_tests.py, which takes its paths from here).
#
# Arguments, if any, pick the cases whose names contain one of them. Prints one line per case
# and a last line `N passed, N failed`.
import re, struct, sys, zipfile  # noqa: E401
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "blackbox"))
from wine_session import (case_registrar, run_cases, COMPANY_KEY, REPO,  # noqa: E402
                          WINDOWS_BUILD, expect_equal)

VERSION = "1.0"
RELEASE_EXE = WINDOWS_BUILD / "Wrenquil.exe"
SETUP_EXE = REPO / "dist" / f"Wrenquil-{VERSION}-setup.exe"
PORTABLE_ZIP = REPO / "dist" / f"Wrenquil-{VERSION}-portable.zip"
APP_KEY = COMPANY_KEY + r"\Wrenquil"
CASES = []  # (name, function, arguments)
case = case_registrar(CASES)


# What Windows reads from an exe without running it: {"machine", "versions" (the fixed file
# and product versions), each version string by its name, "Translation", and for the
# manifest each attribute's or element's name: [values]}.
def exe_facts(path):
    data = path.read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0]  # "PE\0\0", then the machine
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO's signature
    words = struct.unpack_from("<4I", data, fixed + 8) if fixed > 0 else (0, 0, 0, 0)
    facts = {"machine": hex(struct.unpack_from("<H", data, header + 4)[0]),
             "versions": [f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
                          for ms, ls in (words[:2], words[2:])]}
    # Each string block: a 3-word header, its type 1 (text), "Name\0", padding, "Value\0".
    text = data[fixed:fixed + 4096].decode("utf-16-le", "replace")
    facts["string tables"] = re.findall("\x01([0-9a-fA-F]{8})\0", text)
    facts.update(re.findall("\x01([A-Za-z]+)\0+([^\0]+)", text))
    facts["Translation"] = re.findall("Translation\0+(..)", text)  # (language, code page)
    manifest = data[data.find(b"<?xml"):data.find(b"</assembly>")].decode("latin-1")
    for name, *value in re.findall(r'(\w+)(?:="([^"]*)"|>([^<\s]+)<)', manifest):
        facts.setdefault(name, []).append("".join(value))
    return facts


SETUP_FACTS = {"machine": hex(0x8664), "versions": ["1.0.0.0", "1.0.0.0"],
               "CompanyName": "Halvory Limited", "ProductName": "Wrenquil",
               "ProductVersion": "1.0.0.0", "level": ["asInvoker"]}  # no elevation
RELEASE_FACTS = {
    **SETUP_FACTS, "string tables": ["080904b0"], "Translation": ["\u0809\u04b0"],  # en-GB, UTF-16
    "FileDescription": "Wrenquil SMS sender", "FileVersion": "1.0.0.0",
    "OriginalFilename": "Wrenquil.exe", "LegalCopyright": "Copyright (C) 2026 Halvory Limited",
    # The manifest's own and the common controls' (version 6: visual styles) identities.
    "name": ["HalvoryLimited.Wrenquil", "Microsoft.Windows.Common-Controls"],
    "version": ["1.0", "1.0.0.0", "6.0.0.0"],  # the first the XML declaration's
    "Id": ["{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"],
    # System DPI aware, not per monitor: neither "true/pm" nor a dpiAwareness element.
    "dpiAware": ["true"], "dpiAwareness": None,
}


@case("{0}: machine, version information and manifest", rows=[
    ("the release exe", RELEASE_EXE, RELEASE_FACTS), ("the setup program", SETUP_EXE, SETUP_FACTS)])
def exe_file(_, path, expected):
    facts = exe_facts(path)
    expect_equal({name: facts.get(name) for name in expected}, expected, path.name)


@case("the portable zip: the exe and a README, with fixed times")
def portable_zip():
    with zipfile.ZipFile(PORTABLE_ZIP) as archive:
        expect_equal([(entry.filename, entry.date_time) for entry in archive.infolist()],
                     [(name, (2026, 1, 1, 0, 0, 0)) for name in ("Wrenquil.exe", "README.txt")],
                     "files in the zip, and their times")
        expect_equal(archive.read("Wrenquil.exe") == RELEASE_EXE.read_bytes(), True,
                     "the zip's Wrenquil.exe is the release build")
        readme = archive.read("README.txt").decode("ascii")
    expect_equal((readme.count("\n"), readme[-2:]), (readme.count("\r\n"), "\r\n"),
                 "README.txt's line ends (how many, and its last two characters): all \\r\\n")
    expect_equal([text for text in ("HKEY_CURRENT_USER" + APP_KEY[4:], "delete its folder")
                  if text not in " ".join(readme.split())], [], "what README.txt does not tell")


if __name__ == "__main__":
    sys.exit(run_cases("package files", CASES, sys.argv[1:], [], lambda: None, lambda: None))
