#!/usr/bin/env python3
# Installer and package cases: what `make package` put in dist/, checked as files and run
# under Wine: the setup program silently and through its windows, the installed Wrenquil
# driven from outside by wrenquil_probe.exe, the uninstaller, and a second clean build that
# must give the same bytes.
#
# Run through tests/installer/run.sh (a display, a fresh Wine prefix). Arguments, if any, pick
# the cases whose names contain one of them. Prints one line per case and a last line
# `N passed, N failed`.
import os, re, shutil, struct, subprocess, sys, tempfile, zipfile  # noqa: E401
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "blackbox"))
from wine_session import (case_registrar, run_cases, COMPANY_KEY, DEMO_EXE,  # noqa: E402
                          REPO, WINDOWS_BUILD, RunningProgram, expect_equal, poll,
                          probe, stop_wine, wine)

VERSION = "1.0"
RELEASE_EXE = WINDOWS_BUILD / "Wrenquil.exe"
SETUP_EXE = REPO / "dist" / f"Wrenquil-{VERSION}-setup.exe"
PORTABLE_ZIP = REPO / "dist" / f"Wrenquil-{VERSION}-portable.zip"

# Keys by their full names, as a .reg file needs them.
COMPANY = COMPANY_KEY.replace("HKCU", "HKEY_CURRENT_USER")
APP_KEY, OTHER_PROGRAM_KEY = COMPANY + r"\Wrenquil", COMPANY + r"\Other Program"
SETTINGS_KEY = APP_KEY + r"\Preferences"
WINDOWS_KEY = r"Software\Microsoft\Windows\CurrentVersion"
UNINSTALL_KEY = rf"HKEY_CURRENT_USER\{WINDOWS_KEY}\Uninstall\Wrenquil"
# Run at System Startup writes the machine's Run key, or the user's where it cannot.
RUN_KEYS = [rf"{root}\{WINDOWS_KEY}\Run" for root in ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER")]
RUN_AT_STARTUP, KEPT = ("REG_DWORD", "0x1"), ("REG_SZ", "1")
OTHER_RUN_VALUE = ("REG_SZ", r"C:\Other\other.exe")  # another program's

# Window titles: NSIS's pages add a blank to the caption, its message boxes do not.
SETUP_WINDOW, SETUP_MESSAGE_BOX = f"Wrenquil {VERSION} Setup ", f"Wrenquil {VERSION} Setup"
UNINSTALL_WINDOW, UNINSTALL_MESSAGE_BOX = "Wrenquil Uninstall ", "Wrenquil Uninstall"
EXIT_RUNNING = 3  # the (un)installer's exit code while Wrenquil runs

DEFAULT_FOLDER, FOLDER_WITH_BLANKS = "the default folder", r"C:\Apps\SMS Tools\Wrenquil"
USER = {}  # the prefix's default installation folder and Start menu shortcut, set in main()
SCRATCH = None  # a folder of this run's own, set in main()
CASES = []  # (name, function, arguments)
case = case_registrar(CASES)


# --- the prefix: paths, the registry, running programs -------------------------------------

def unix(windows_path):
    drive, rest = windows_path.split(":", 1)
    return Path(os.environ["WINEPREFIX"], "dosdevices", drive.lower() + ":",
                rest.replace("\\", "/").lstrip("/"))


def windows(path):
    return "Z:" + str(path).replace("/", "\\")


# {name: (type, data)} of the key's own values, or None when the key is missing.
def registry_values(key):
    code, out, _ = wine("reg", "query", key)
    return None if code != 0 else {match[1]: (match[2], match[3]) for match in (re.match(
        r"    (.+?)    (REG_[A-Z_]+)    ?(.*)$", line) for line in out.splitlines()) if match}


def registry_value(key, name):
    return (registry_values(key) or {}).get(name)


def reg_add(key, name, data):
    expect_equal(wine("reg", "add", key, "/v", name, "/d", data, "/f")[0], 0, f"reg add {name}")


# No Wrenquil installed, no trace of one in the registry.
def reset_prefix():
    reg_file = SCRATCH / "reset.reg"
    reg_file.write_text("Windows Registry Editor Version 5.00\r\n\r\n" + "".join(
        f"[-{key}]\r\n\r\n" for key in (COMPANY, UNINSTALL_KEY)) + "".join(
        f'[{key}]\r\n"Wrenquil"=-\r\n"Other"=-\r\n\r\n' for key in RUN_KEYS), encoding="utf-16")
    code, out, err = wine("reg", "import", windows(reg_file))
    if code != 0:
        # Once, on a prefix made moments before, reg import ended at once with 1 and said
        # nothing; a second try after the server has ended is what a user would do.
        stop_wine()
        code, out, err = wine("reg", "import", windows(reg_file))
    expect_equal(code, 0, f"resetting the registry: reg import's exit code (its output "
                          f"{(out + err).strip()!r})")
    for folder in (USER["folder"], FOLDER_WITH_BLANKS):
        shutil.rmtree(unix(folder), ignore_errors=True)
    unix(USER["shortcut"]).unlink(missing_ok=True)


def expect_same_bytes(path, expected, what):
    expect_equal(path.read_bytes() == expected.read_bytes(), True, f"{what} {path} is {expected}")


# Command lines through cmd: /D= and _?= take the rest of the line, blanks and all, unquoted,
# and only cmd passes it on that way (wine would quote the argument).
def setup_silently(where, expected_code=0):
    folder = "" if where == DEFAULT_FOLDER else f" /D={where}"
    expect_equal(wine("cmd", "/c", f"{windows(SETUP_EXE)} /S{folder}")[0], expected_code,
                 "the silent setup program's exit code")


# A setup program or uninstaller run through its windows (a failing case's cleanup ends it).
def start_windows_program(path):
    return subprocess.Popen(["wine", str(path)], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# --- the files -------------------------------------------------------------------------------

NAMESPACE_START = re.compile("(?<={)(urn:schemas-microsoft-com:|http://schemas.microsoft.com/SMI/)")


# What Windows reads from an exe without running it: {"machine", "versions" (the fixed file
# and product versions), each version string by its name, "Translation", and for the
# manifest "{namespace}element attribute" (or "{namespace}element", its text): [values]}.
def exe_facts(path):
    data = path.read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0]  # "PE\0\0", then the machine
    facts = {"machine": hex(struct.unpack_from("<H", data, header + 4)[0])}
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO's signature
    words = struct.unpack_from("<4I", data, fixed + 8) if fixed > 0 else (0, 0, 0, 0)
    facts["versions"] = [f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
                         for ms, ls in (words[:2], words[2:])]
    # Each string block: a 3-word header, its type 1 (text), "Name\0", padding, "Value\0".
    text = data[fixed:fixed + 4096].decode("utf-16-le", "replace")
    facts["string tables"] = re.findall("\x01([0-9a-fA-F]{8})\0", text)
    facts.update(re.findall("\x01([A-Za-z]+)\0+([^\0]+)", text))
    facts["Translation"] = re.findall("Translation\0+(..)", text)  # (language, code page)
    start, end = data.find(b"<?xml"), data.find(b"</assembly>")
    manifest = data[start:end + 11] if 0 <= start < end else "<none/>"
    for element in ElementTree.fromstring(manifest).iter():
        tag = NAMESPACE_START.sub("", element.tag)
        for name, value in [("", (element.text or "").strip())] + list(element.items()):
            facts.setdefault(f"{tag} {name}".strip(), []).append(value)
    return facts


SETUP_FACTS = {"machine": hex(0x8664), "versions": ["1.0.0.0", "1.0.0.0"],
               "CompanyName": "Halvory Limited", "ProductName": "Wrenquil",
               "ProductVersion": "1.0.0.0", "{asm.v3}requestedExecutionLevel level": ["asInvoker"]}
RELEASE_FACTS = {
    **SETUP_FACTS, "string tables": ["080904b0"], "Translation": ["\u0809\u04b0"],  # en-GB, UTF-16
    "FileDescription": "Wrenquil SMS sender", "FileVersion": "1.0.0.0",
    "OriginalFilename": "Wrenquil.exe", "LegalCopyright": "Copyright (C) 2026 Halvory Limited",
    "{asm.v1}assemblyIdentity name": ["HalvoryLimited.Wrenquil",
                                      "Microsoft.Windows.Common-Controls"],
    "{asm.v1}assemblyIdentity version": ["1.0.0.0", "6.0.0.0"],
    "{compatibility.v1}supportedOS Id": [
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"],
    # System DPI aware, not per monitor: neither "true/pm" nor a dpiAwareness element.
    "{2005/WindowsSettings}dpiAware": ["true"], "{2016/WindowsSettings}dpiAwareness": None,
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
    expect_equal([text for text in (APP_KEY, "Wrenquil.exe", "delete its folder")
                  if text not in " ".join(readme.split())], [], "what README.txt does not tell")


# --- an installation from start to end, in each folder -------------------------------------

@case("installed into {0}: started, Run at System Startup, blocked while running, updated, "
      "uninstalled {1}", rows=[(DEFAULT_FOLDER, "silently"),
                               (FOLDER_WITH_BLANKS, "answering No to removing the settings"),
                               (DEFAULT_FOLDER, "answering Yes to removing the settings")])
def lifecycle(where, uninstall):
    folder = USER["folder"] if where == DEFAULT_FOLDER else where
    installed, uninstaller = folder + r"\Wrenquil.exe", folder + r"\uninstall.exe"
    exe, exe_path = unix(installed), ("REG_SZ", f'"{installed}"' if " " in folder else installed)
    setup_silently(where)
    expect_same_bytes(exe, RELEASE_EXE, "installed program")
    expect_equal(registry_values(APP_KEY), {"ExePath": exe_path}, "the program's key")
    entry = registry_values(UNINSTALL_KEY) or {}
    size = entry.pop("EstimatedSize", ("", "0x0"))
    expect_equal((size[0], int(size[1], 16) >= 290), ("REG_DWORD", True), "EstimatedSize >= 290 KB")
    expect_equal(entry, {
        "DisplayName": ("REG_SZ", "Wrenquil"), "DisplayVersion": ("REG_SZ", VERSION),
        "Publisher": ("REG_SZ", "Halvory Limited"), "DisplayIcon": ("REG_SZ", installed + ",0"),
        "InstallLocation": ("REG_SZ", folder), "UninstallString": ("REG_SZ", f'"{uninstaller}"'),
        "QuietUninstallString": ("REG_SZ", f'"{uninstaller}" /S'),
        "URLInfoAbout": ("REG_SZ", "https://www.halvory.com/"),
        "NoModify": ("REG_DWORD", "0x1"), "NoRepair": ("REG_DWORD", "0x1")}, "uninstall entry")
    # Installing neither starts it with Windows nor makes settings.
    expect_equal([registry_value(key, "Wrenquil") for key in RUN_KEYS], [None, None], "Run values")
    expect_equal(registry_values(SETTINGS_KEY), None, "settings")

    # Another build of the same program (it sends to the local gateway) stands in for an older
    # installed version, told apart by its bytes.
    exe.write_bytes(DEMO_EXE.read_bytes())
    with RunningProgram("start", "/wait", USER["shortcut"]) as program:
        probe("command", "ID_OPTIONS_PREFERENCES")
        probe("dialog-click", "Preferences", "IDC_RUN_AT_STARTUP")
        probe("dialog-click", "Preferences", "IDOK")
        poll(lambda: registry_value(RUN_KEYS[0], "Wrenquil"), exe_path, 5, "machine's Run value")
        expect_equal(registry_value(SETTINGS_KEY, "RunAtStartup"), RUN_AT_STARTUP, "RunAtStartup")
        # While it runs, silent runs end with 3 and the setup program's windows ask to close it.
        setup_silently(where, expected_code=EXIT_RUNNING)
        # _?= keeps the uninstaller (here a copy) in place, so its exit code is the command's.
        shutil.copy(unix(uninstaller), SCRATCH / "uninstall.exe")
        expect_equal(wine("cmd", "/c", f"{windows(SCRATCH / 'uninstall.exe')} /S _?={folder}")[0],
                     EXIT_RUNNING, "the silent uninstaller's exit code")
        setup = start_windows_program(SETUP_EXE)
        probe("dialog-click", SETUP_MESSAGE_BOX, "IDCANCEL", "20")
        expect_equal(setup.wait(20), EXIT_RUNNING, "the setup program's exit code on Cancel")
        expect_same_bytes(exe, DEMO_EXE, "the running program")
        expect_equal(registry_value(APP_KEY, "ExePath"), exe_path, "ExePath")
        setup = start_windows_program(SETUP_EXE)
        poll(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                     f"^{re.escape(SETUP_MESSAGE_BOX)}$"], capture_output=True)
             .returncode, 0, 20, "the setup program's message box")
        program.close()
        probe("dialog-click", SETUP_MESSAGE_BOX, "4", "20")  # Retry (IDRETRY)
        probe("dialog-click", SETUP_WINDOW, "IDOK", "20")  # Install, into the last folder
        probe("dialog-click", SETUP_WINDOW, "IDOK", "30")  # Finish, "Start Wrenquil now"
        expect_equal(setup.wait(20), 0, "the setup program's exit code after Retry")
    expect_same_bytes(exe, RELEASE_EXE, "the program after the update")
    probe("wait-window", "20")
    probe("close")
    probe("wait-gone", "10")
    expect_equal(registry_value(SETTINGS_KEY, "RunAtStartup"), RUN_AT_STARTUP, "after the update")

    # More traces of use: the user's Run value too, next to other programs' values.
    reg_add(RUN_KEYS[1], "Wrenquil", exe_path[1])
    for key in RUN_KEYS:
        reg_add(key, "Other", OTHER_RUN_VALUE[1])
    removes_settings = "Yes" in uninstall
    if not removes_settings:  # with no other program's settings, no Halvory Limited key stays
        reg_add(OTHER_PROGRAM_KEY, "Kept", KEPT[1])
    if uninstall == "silently":
        expect_equal(wine(unix(uninstaller), "/S")[0], 0, "the silent uninstaller's exit code")
    else:
        start_windows_program(unix(uninstaller)).wait(20)  # it goes on as a copy of itself
        probe("dialog-click", UNINSTALL_WINDOW, "IDOK", "20")  # Uninstall
        probe("dialog-click", UNINSTALL_MESSAGE_BOX, "IDYES" if removes_settings else "IDNO", "20")
        probe("dialog-click", UNINSTALL_WINDOW, "IDOK", "20")  # Close
    poll(lambda: unix(folder).exists(), False, 30, "the installation folder is there")
    expect_equal(unix(USER["shortcut"]).exists(), False, "the shortcut is there")
    expect_equal(registry_values(UNINSTALL_KEY), None, "uninstall entry")
    for key in RUN_KEYS:
        expect_equal([registry_value(key, name) for name in ("Wrenquil", "Other")],
                     [None, OTHER_RUN_VALUE], f"{key}: Wrenquil and another program")
    expect_equal([registry_values(APP_KEY), registry_value(SETTINGS_KEY, "RunAtStartup"),
                  registry_values(COMPANY if removes_settings else OTHER_PROGRAM_KEY)],
                 [None, None, None] if removes_settings else [{}, RUN_AT_STARTUP, {"Kept": KEPT}],
                 "the program's key (ExePath gone), its settings, and the Halvory Limited key "
                 "(without settings) or another program's")


@case("a second, clean build in another tree gives the same bytes")
def reproducible():
    tree = SCRATCH / "second build"  # a blank in the path, for good measure
    build = subprocess.run([REPO / "scripts" / "package.sh", "--build-dir", tree / "windows",
                            "--dist-dir", tree / "dist"], stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
    expect_equal(build.returncode, 0, f"the second build ({build.stdout[-2000:].decode()})")
    expect_equal([first.name for first in (RELEASE_EXE, SETUP_EXE, PORTABLE_ZIP) if
                  # <tree>/windows/Wrenquil.exe, <tree>/dist/ and the name
                  first.read_bytes() != (tree / first.parent.name / first.name).read_bytes()],
                 [], "files whose bytes differ")


def main(filters):
    global SCRATCH
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        return "run through tests/installer/run.sh (a Wine prefix and a display of its own)"
    _, out, _ = wine("cmd", "/c", "echo %LOCALAPPDATA%&echo %APPDATA%")
    local, roaming = out.replace("\r", "").split("\n")[:2]
    USER["folder"] = local + r"\Programs\Wrenquil"
    USER["shortcut"] = roaming + r"\Microsoft\Windows\Start Menu\Programs\Wrenquil.lnk"
    with tempfile.TemporaryDirectory(dir=REPO / "build", prefix="installer-test.") as scratch:
        SCRATCH = Path(scratch)
        return run_cases("installer", CASES, filters, [], reset_prefix, stop_wine)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
