#!/usr/bin/env python3
"""Installer and package cases: what `make package` put in dist/, checked as files and run
under Wine: the setup program silently and through its windows, the installed Wrenquil
driven from outside by wrenquil_probe.exe, the uninstaller, and a second clean build that
must give the same bytes.

Run through tests/installer/run.sh (a display, a fresh Wine prefix). Arguments, if any, pick
the cases whose names contain one of them. Prints one line per case and a last line
`N passed, N failed`."""
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile
from contextlib import contextmanager
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "blackbox"))
from wine_session import (case_registrar, run_cases, COMPANY_KEY, PROBE_EXE,  # noqa: E402
                          REPO, WINDOWS_BUILD, CheckFailed,
                          RunningProgram, expect_equal, poll, probe, stop_wine, wine)

VERSION = "1.0"
RELEASE_EXE = WINDOWS_BUILD / "Wrenquil.exe"
DIST = REPO / "dist"
SETUP_EXE = DIST / f"Wrenquil-{VERSION}-setup.exe"
PORTABLE_ZIP = DIST / f"Wrenquil-{VERSION}-portable.zip"
# Another build of the same program (it sends to the local gateway): a stand-in for an
# older installed copy, told apart by its bytes.
OTHER_EXE = WINDOWS_BUILD / "demo" / "Wrenquil.exe"
SCRATCH = Path(os.environ.get("WRENQUIL_INSTALLER_SCRATCH", tempfile.gettempdir()))

APP_KEY = COMPANY_KEY + r"\Wrenquil"
SETTINGS_KEY = APP_KEY + r"\Preferences"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Wrenquil"
MACHINE_RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
USER_RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"

# Window titles: NSIS's pages add a blank to the caption, its message boxes do not.
SETUP_WINDOW = f"Wrenquil {VERSION} Setup "
SETUP_MESSAGE_BOX = f"Wrenquil {VERSION} Setup"
UNINSTALL_WINDOW = "Wrenquil Uninstall "
UNINSTALL_MESSAGE_BOX = "Wrenquil Uninstall"
EXIT_RUNNING = 3  # the installer's exit code while Wrenquil runs

DEFAULT_FOLDER = "the default folder"
FOLDER_WITH_BLANKS = r"C:\Apps\SMS Tools\Wrenquil"

CASES = []  # (name, function, arguments)
case = case_registrar(CASES)


# --- the prefix's folders, the registry, files -----------------------------------------------

class Folders:
    """The current user's folders in the prefix, as Windows and as Linux paths."""

    def __init__(self):
        code, out, err = wine("cmd", "/c", "echo %LOCALAPPDATA%&echo %APPDATA%")
        if code != 0:
            raise CheckFailed(f"cannot read the user's folders: {err.strip()}")
        local, roaming = out.replace("\r", "").split("\n")[:2]
        self.default_install = local + r"\Programs\Wrenquil"
        self.start_menu = roaming + r"\Microsoft\Windows\Start Menu\Programs"

    @staticmethod
    def unix(windows_path):
        drive, rest = windows_path.split(":", 1)
        return Path(os.environ["WINEPREFIX"]) / "dosdevices" / f"{drive.lower()}:" / \
            rest.replace("\\", "/").lstrip("/")

    def shortcut(self):
        return self.unix(self.start_menu + r"\Wrenquil.lnk")


FOLDERS = None  # set in main(), once the prefix is there


def install_folder(where):
    return FOLDERS.default_install if where == DEFAULT_FOLDER else where


VALUE_LINE = re.compile(r"^    (.+?)    (REG_[A-Z_]+)    ?(.*)$")


def registry_values(key):
    """{name: (type, data)} of the key's own values, or None when the key is missing."""
    code, out, _ = wine("reg", "query", key)
    if code != 0:
        return None
    values = {}
    for line in out.replace("\r", "").split("\n"):
        match = VALUE_LINE.match(line)
        if match:
            values[match.group(1)] = (match.group(2), match.group(3))
    return values


def registry_value(key, name):
    return (registry_values(key) or {}).get(name)


def reg_add(key, name, data, kind="REG_SZ"):
    code, _, err = wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")
    if code != 0:
        raise CheckFailed(f"reg add {key} {name}: {err.strip()}")


def reset_prefix():
    """No Wrenquil installed, no trace of one in the registry."""
    reg_file = SCRATCH / "reset.reg"
    reg_file.write_text("Windows Registry Editor Version 5.00\r\n\r\n"
                        f"[-{COMPANY_KEY.replace('HKCU', 'HKEY_CURRENT_USER')}]\r\n\r\n"
                        f"[-{UNINSTALL_KEY.replace('HKCU', 'HKEY_CURRENT_USER')}]\r\n\r\n"
                        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                        '"Wrenquil"=-\r\n"Other"=-\r\n\r\n'
                        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
                        '"Wrenquil"=-\r\n"Other"=-\r\n\r\n', encoding="utf-16")
    windows_reg_file = "Z:" + str(reg_file).replace("/", "\\")
    code, out, err = wine("reg", "import", windows_reg_file)
    if code != 0:
        # Once, on a prefix made moments before, reg import ended at once with 1 and said
        # nothing; a second try after the server has ended is what a user would do.
        stop_wine()
        code, out, err = wine("reg", "import", windows_reg_file)
    if code != 0:
        raise CheckFailed(f"cannot reset the registry: reg import ended with {code}: "
                          f"{(out + err).strip()!r}")
    for folder in (FOLDERS.default_install, FOLDER_WITH_BLANKS):
        remove_tree(FOLDERS.unix(folder))
    FOLDERS.shortcut().unlink(missing_ok=True)


def remove_tree(path):
    if path.exists():
        for child in sorted(path.rglob("*"), reverse=True):
            child.rmdir() if child.is_dir() else child.unlink()
        path.rmdir()


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


def expect_same_bytes(path, expected, what):
    if not Path(path).is_file():
        raise CheckFailed(f"{what}: {path} is missing")
    if sha256(path) != sha256(expected):
        raise CheckFailed(f"{what}: {path} differs from {expected}")


# --- running the setup program and the installed Wrenquil ------------------------------------

def setup_silently(where=DEFAULT_FOLDER, expected_code=0):
    windows_setup = "Z:" + str(SETUP_EXE).replace("/", "\\")
    if where == DEFAULT_FOLDER:
        code, _, err = wine(SETUP_EXE, "/S")
    else:
        # /D= takes the rest of the command line, blanks and all, unquoted: only cmd passes
        # it on that way (wine would quote the argument).
        code, _, err = wine("cmd", "/c", f"{windows_setup} /S /D={where}")
    expect_equal(code, expected_code, f"the setup program's exit code ({err.strip()!r})")


def start_installed():
    """Wrenquil started as the user would: through its Start menu shortcut."""
    shortcut = FOLDERS.start_menu + r"\Wrenquil.lnk"
    if not FOLDERS.shortcut().is_file():
        raise CheckFailed(f"no shortcut {shortcut}")
    return RunningProgram("start", "/wait", shortcut)


def uninstall_string(quiet):
    value = registry_value(UNINSTALL_KEY, "QuietUninstallString" if quiet else "UninstallString")
    if value is None:
        raise CheckFailed("the uninstall entry has no uninstall command")
    match = re.fullmatch(r'"([^"]+)"(?: (.*))?', value[1])
    if match is None:
        raise CheckFailed(f"uninstall command {value[1]!r} is not a quoted path and options")
    return match.group(1), (match.group(2) or "").split()


def install_older_copy():
    """Installed into the default folder, with another build in the program's place: an older
    version, told apart by its bytes. Gives the folder and the program's Linux path."""
    setup_silently()
    folder = install_folder(DEFAULT_FOLDER)
    exe = FOLDERS.unix(folder + r"\Wrenquil.exe")
    exe.write_bytes(OTHER_EXE.read_bytes())
    return folder, exe


def wait_for_x_window(title, seconds):
    """Waits until a window with exactly this title is shown (a message box, say)."""
    pattern = "^" + re.escape(title) + "$"
    poll(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", pattern],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode,
         0, seconds, f"a window titled {title!r}")


@contextmanager
def windows_program(*args):
    """A setup program or uninstaller run through its windows; killed if the case leaves it."""
    with tempfile.TemporaryFile() as log:
        process = subprocess.Popen(["wine", *map(str, args)], stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        try:
            yield process
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()


def wait_for_exit(process, seconds, what):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise CheckFailed(f"{what} has not ended after {seconds} s")


# --- resources in a PE file ----------------------------------------------------------------

def align4(offset):
    return (offset + 3) & ~3


def parse_version_block(data, offset):
    """One block of a VS_VERSIONINFO tree: (key, value, children) and the offset after it."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    position = align4(key_end + 2)
    size = value_length * 2 if kind == 1 else value_length
    value = data[position:position + size]
    if kind == 1:
        value = value.decode("utf-16-le").split("\0")[0]
    position = align4(position + size)
    children = []
    while position < end:
        child, position = parse_version_block(data, position)
        children.append(child)
    return (key, value, children), align4(end)


def version_info(path):
    """(file version, product version, {language-code page: {name: text}}, translations)."""
    data = Path(path).read_bytes()
    marker = data.find("VS_VERSION_INFO".encode("utf-16-le"))
    if marker < 0:
        raise CheckFailed(f"{path.name} has no version information")
    (_, fixed, children), _ = parse_version_block(data, marker - 6)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    expect_equal(hex(signature), hex(0xFEEF04BD), "VS_FIXEDFILEINFO signature")

    def dotted(ms, ls):
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"

    tables, translations = {}, []
    for key, _, blocks in children:
        if key == "StringFileInfo":
            for language, _, strings in blocks:
                tables[language] = {name: text for name, text, _ in strings}
        elif key == "VarFileInfo":
            for _, value, _ in blocks:
                translations += [struct.unpack_from("<HH", value, i)
                                 for i in range(0, len(value), 4)]
    return dotted(file_ms, file_ls), dotted(product_ms, product_ls), tables, translations


def manifest(path):
    """The application manifest embedded in the exe, parsed."""
    data = Path(path).read_bytes()
    start = data.find(b"<?xml")
    end = data.find(b"</assembly>", start)
    if start < 0 or end < 0:
        raise CheckFailed(f"{Path(path).name} has no manifest")
    return ElementTree.fromstring(data[start:end + len(b"</assembly>")])


ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
WINDOWS_SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
WINDOWS_SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def execution_level(root):
    levels = [element.get("level") for element in root.iter(ASM_V3 + "requestedExecutionLevel")]
    levels += [element.get("level") for element in root.iter(ASM_V1 + "requestedExecutionLevel")]
    return levels


def pe_machine(path):
    data = Path(path).read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0]
    expect_equal(data[header:header + 4], b"PE\0\0", f"{Path(path).name}: PE signature")
    return struct.unpack_from("<H", data, header + 4)[0]


# --- the cases: the files ----------------------------------------------------------------------

@case("the release exe: its version information")
def release_exe_version():
    file_version, product_version, tables, translations = version_info(RELEASE_EXE)
    expect_equal((file_version, product_version), ("1.0.0.0", "1.0.0.0"), "fixed versions")
    expect_equal(list(tables), ["080904b0"], "string tables (English (UK), Unicode)")
    strings = tables["080904b0"]
    for name, expected in [("CompanyName", "Halvory Limited"), ("ProductName", "Wrenquil"),
                           ("FileDescription", "Wrenquil SMS sender"),
                           ("FileVersion", "1.0.0.0"), ("ProductVersion", "1.0.0.0"),
                           ("OriginalFilename", "Wrenquil.exe"),
                           ("LegalCopyright", "Copyright (C) 2026 Halvory Limited")]:
        expect_equal(strings.get(name), expected, name)
    expect_equal(translations, [(0x0809, 1200)], "translations")


@case("the release exe: its manifest")
def release_exe_manifest():
    root = manifest(RELEASE_EXE)
    controls = [element.get("version") for element in root.iter(ASM_V1 + "assemblyIdentity")
                if element.get("name") == "Microsoft.Windows.Common-Controls"]
    expect_equal(controls, ["6.0.0.0"], "common controls")
    expect_equal(execution_level(root), ["asInvoker"], "requested execution level")
    supported = [element.get("Id") for element in root.iter(COMPATIBILITY + "supportedOS")]
    expect_equal(sorted(supported), sorted(SUPPORTED_OS), "supported OS ids")
    # System DPI aware, not per monitor: neither "true/pm" nor a dpiAwareness element.
    dpi_aware = [element.text for element in root.iter(WINDOWS_SETTINGS_2005 + "dpiAware")]
    expect_equal(dpi_aware, ["true"], "dpiAware")
    expect_equal(list(root.iter(WINDOWS_SETTINGS_2016 + "dpiAwareness")), [], "dpiAwareness")
    expect_equal(pe_machine(RELEASE_EXE), 0x8664, "machine (x86-64)")


@case("the setup program: 64-bit, its version, run without elevation")
def setup_program_file():
    expect_equal(pe_machine(SETUP_EXE), 0x8664, "machine (x86-64)")
    file_version, _, tables, _ = version_info(SETUP_EXE)
    expect_equal(file_version, "1.0.0.0", "file version")
    strings = next(iter(tables.values()), {})
    for name, expected in [("CompanyName", "Halvory Limited"), ("ProductName", "Wrenquil"),
                           ("ProductVersion", "1.0.0.0")]:
        expect_equal(strings.get(name), expected, name)
    expect_equal(execution_level(manifest(SETUP_EXE)), ["asInvoker"], "requested execution level")


@case("the portable zip: the exe and a README, with fixed times")
def portable_zip():
    with zipfile.ZipFile(PORTABLE_ZIP) as archive:
        entries = archive.infolist()
        expect_equal([entry.filename for entry in entries], ["Wrenquil.exe", "README.txt"],
                     "files in the zip")
        expect_equal({entry.date_time for entry in entries}, {(2026, 1, 1, 0, 0, 0)}, "times")
        if archive.read("Wrenquil.exe") != RELEASE_EXE.read_bytes():
            raise CheckFailed("the zip's Wrenquil.exe differs from the release build")
        readme = archive.read("README.txt").decode("ascii")
    lines = readme.split("\r\n")
    if "\n" in readme.replace("\r\n", "") or lines[-1] != "":
        raise CheckFailed("README.txt does not have Windows line ends throughout")
    for needed in (r"HKEY_CURRENT_USER\Software\Halvory Limited\Wrenquil", "Wrenquil.exe",
                   "delete its folder"):
        if needed not in readme.replace("\r\n", " ").replace("  ", " "):
            raise CheckFailed(f"README.txt does not mention {needed!r}")


# --- the cases: installing ---------------------------------------------------------------------

@case("silent install into {0}: program, shortcut, ExePath, uninstall entry",
      rows=[(DEFAULT_FOLDER,), (FOLDER_WITH_BLANKS,)])
def silent_install(where):
    folder = install_folder(where)
    setup_silently(where)
    exe = folder + r"\Wrenquil.exe"
    expect_same_bytes(FOLDERS.unix(exe), RELEASE_EXE, "installed program")
    if not FOLDERS.unix(folder + r"\uninstall.exe").is_file():
        raise CheckFailed("no uninstall.exe")
    shortcut = FOLDERS.shortcut()
    if not shortcut.is_file() or not any(exe.encode(encoding) in shortcut.read_bytes()
                                         for encoding in ("latin-1", "utf-16-le")):
        raise CheckFailed(f"{shortcut} is missing or does not point to {exe}")
    expect_equal(registry_values(APP_KEY),
                 {"ExePath": ("REG_SZ", f'"{exe}"' if " " in exe else exe)}, "the program's key")
    entry = registry_values(UNINSTALL_KEY) or {}
    size = entry.pop("EstimatedSize", ("", "0x0"))
    if size[0] != "REG_DWORD" or int(size[1], 16) < 290:
        raise CheckFailed(f"EstimatedSize {size} (KB)")
    uninstaller = folder + r"\uninstall.exe"
    expect_equal(entry, {
        "DisplayName": ("REG_SZ", "Wrenquil"),
        "DisplayVersion": ("REG_SZ", VERSION),
        "Publisher": ("REG_SZ", "Halvory Limited"),
        "DisplayIcon": ("REG_SZ", exe + ",0"),
        "InstallLocation": ("REG_SZ", folder),
        "UninstallString": ("REG_SZ", f'"{uninstaller}"'),
        "QuietUninstallString": ("REG_SZ", f'"{uninstaller}" /S'),
        "URLInfoAbout": ("REG_SZ", "https://www.halvory.com/"),
        "NoModify": ("REG_DWORD", "0x1"),
        "NoRepair": ("REG_DWORD", "0x1"),
    }, "uninstall entry")
    # Nothing is started with Windows and no settings are made by installing.
    expect_equal(registry_value(MACHINE_RUN_KEY, "Wrenquil"), None, "machine Run value")
    expect_equal(registry_value(USER_RUN_KEY, "Wrenquil"), None, "user Run value")
    expect_equal(registry_values(SETTINGS_KEY), None, "settings")


@case("installed into {0}: starts from its shortcut, and Run at System Startup copies ExePath",
      rows=[(DEFAULT_FOLDER,), (FOLDER_WITH_BLANKS,)])
def run_at_startup(where):
    setup_silently(where)
    exe_path = registry_value(APP_KEY, "ExePath")
    with start_installed() as program:
        probe("command", "ID_OPTIONS_PREFERENCES")
        probe("dialog-click", "Preferences", "IDC_RUN_AT_STARTUP")
        probe("dialog-click", "Preferences", "IDOK")
        poll(lambda: registry_value(MACHINE_RUN_KEY, "Wrenquil"), exe_path, 5,
             "the machine's Run value")
        expect_equal(registry_value(SETTINGS_KEY, "RunAtStartup"), ("REG_DWORD", "0x1"),
                     "RunAtStartup")
        program.close()


@case("installing again over an installation keeps the settings")
def install_again():
    folder, exe = install_older_copy()
    reg_add(SETTINGS_KEY, "Phone", "07700900123")
    setup_silently()
    expect_same_bytes(exe, RELEASE_EXE, "the program after installing again")
    expect_equal(registry_value(SETTINGS_KEY, "Phone"), ("REG_SZ", "07700900123"), "settings")
    expect_equal(registry_value(APP_KEY, "ExePath"), ("REG_SZ", folder + r"\Wrenquil.exe"),
                 "ExePath")


@case("a running Wrenquil: silent install and silent uninstall fail with 3, nothing replaced")
def running_blocks_silent_runs():
    folder, exe = install_older_copy()
    with start_installed() as program:
        setup_silently(expected_code=EXIT_RUNNING)
        expect_same_bytes(exe, OTHER_EXE, "the running program after a silent install")
        # _?= keeps the uninstaller in place, so its exit code is the command's.
        code, _, _ = wine(FOLDERS.unix(folder + r"\uninstall.exe"), "/S", f"_?={folder}")
        expect_equal(code, EXIT_RUNNING, "the uninstaller's exit code")
        expect_same_bytes(exe, OTHER_EXE, "the running program after a silent uninstall")
        expect_equal(registry_value(APP_KEY, "ExePath"), ("REG_SZ", folder + r"\Wrenquil.exe"),
                     "ExePath")
        program.close()
    setup_silently()  # it was the running program that stopped them
    expect_same_bytes(exe, RELEASE_EXE, "the program once it no longer runs")


@case("a running Wrenquil: the setup program asks to close it; {0}",
      rows=[("Cancel",), ("Retry after closing it, then Finish starts it",)])
def running_interactive_setup(answer):
    _, exe = install_older_copy()
    with start_installed() as program, windows_program(SETUP_EXE) as setup:
        wait_for_x_window(SETUP_MESSAGE_BOX, 20)
        if answer == "Cancel":
            probe("dialog-click", SETUP_MESSAGE_BOX, "IDCANCEL")
            expect_equal(wait_for_exit(setup, 20, "the setup program"), EXIT_RUNNING,
                         "the setup program's exit code")
            expect_same_bytes(exe, OTHER_EXE, "the running program")
            program.close()
            return
        program.close()
        probe("dialog-click", SETUP_MESSAGE_BOX, "4", "20")  # Retry (IDRETRY)
        probe("dialog-click", SETUP_WINDOW, "IDOK", "20")  # Install (on the folder page)
        probe("dialog-click", SETUP_WINDOW, "IDOK", "30")  # Finish, "Start Wrenquil now" ticked
        expect_equal(wait_for_exit(setup, 20, "the setup program"), 0, "exit code")
    expect_same_bytes(exe, RELEASE_EXE, "the program after Retry")
    probe("wait-window", "20")
    probe("close")
    probe("wait-gone", "10")


# --- the cases: uninstalling -------------------------------------------------------------------

def leave_traces_of_use(folder):
    """What using Wrenquil leaves behind: settings, and its Run value in both places (the
    user's is written where the machine's cannot be), next to other programs' values."""
    exe_path = registry_value(APP_KEY, "ExePath")[1]
    reg_add(SETTINGS_KEY, "RunAtStartup", "1", "REG_DWORD")
    reg_add(SETTINGS_KEY, "User", "alice")
    for key in (MACHINE_RUN_KEY, USER_RUN_KEY):
        reg_add(key, "Wrenquil", exe_path)
        reg_add(key, "Other", r"C:\Other\other.exe")


def expect_uninstalled(folder):
    # The uninstaller runs on as a copy of itself after its command has ended.
    poll(lambda: FOLDERS.unix(folder).exists(), False, 30, "the installation folder is there")
    expect_equal(FOLDERS.shortcut().exists(), False, "the shortcut is there")
    expect_equal(registry_values(UNINSTALL_KEY), None, "uninstall entry")
    for key in (MACHINE_RUN_KEY, USER_RUN_KEY):
        expect_equal(registry_value(key, "Wrenquil"), None, f"{key}: Wrenquil")
    expect_equal(registry_value(APP_KEY, "ExePath"), None, "ExePath")


@case("silent uninstall from {0}, {1}: program, shortcut, Run values and ExePath go; settings "
      "stay, and with none no Halvory Limited key does", rows=[
          (DEFAULT_FOLDER, "used"), (FOLDER_WITH_BLANKS, "used"), (DEFAULT_FOLDER, "unused")])
def silent_uninstall(where, use):
    folder = install_folder(where)
    setup_silently(where)
    if use == "used":
        leave_traces_of_use(folder)
    uninstaller, options = uninstall_string(quiet=True)
    expect_equal(options, ["/S"], "quiet uninstall options")
    code, _, err = wine(FOLDERS.unix(uninstaller), *options)
    expect_equal(code, 0, f"the uninstaller's exit code ({err.strip()!r})")
    expect_uninstalled(folder)
    if use == "unused":
        expect_equal(registry_values(COMPANY_KEY), None, "the Halvory Limited key")
        return
    for key in (MACHINE_RUN_KEY, USER_RUN_KEY):
        expect_equal(registry_value(key, "Other"), ("REG_SZ", r"C:\Other\other.exe"),
                     f"{key}: another program's value")
    expect_equal(registry_value(SETTINGS_KEY, "User"), ("REG_SZ", "alice"), "settings")


@case("uninstall through its windows, answering {0} to removing the settings",
      rows=[("Yes",), ("No",)])
def interactive_uninstall(answer):
    folder = install_folder(DEFAULT_FOLDER)
    setup_silently()
    leave_traces_of_use(folder)
    # Another Halvory Limited program's settings are never touched.
    reg_add(COMPANY_KEY + r"\Other Program", "Kept", "1")
    uninstaller, options = uninstall_string(quiet=False)
    expect_equal(options, [], "uninstall options")
    with windows_program(FOLDERS.unix(uninstaller)):
        probe("dialog-click", UNINSTALL_WINDOW, "IDOK", "20")  # Uninstall
        probe("dialog-click", UNINSTALL_MESSAGE_BOX, "IDYES" if answer == "Yes" else "IDNO", "20")
        probe("dialog-click", UNINSTALL_WINDOW, "IDOK", "20")  # Close
        expect_uninstalled(folder)
    expect_equal(registry_value(SETTINGS_KEY, "User"),
                 None if answer == "Yes" else ("REG_SZ", "alice"), "settings")
    expect_equal(registry_values(APP_KEY), None if answer == "Yes" else {}, "the program's key")
    expect_equal(registry_value(COMPANY_KEY + r"\Other Program", "Kept"), ("REG_SZ", "1"),
                 "another program's settings")


# --- the case: reproducible --------------------------------------------------------------------

@case("a second, clean build in another tree gives the same bytes")
def reproducible():
    tree = SCRATCH / "second build"  # a blank in the path, for good measure
    log = SCRATCH / "second-build.log"
    with log.open("wb") as out:
        try:
            code = subprocess.run([str(REPO / "scripts" / "package.sh"), "--build-dir",
                                   str(tree / "windows"), "--dist-dir", str(tree / "dist")],
                                  stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=600).returncode
        except subprocess.TimeoutExpired:
            raise CheckFailed("the second build has not ended after 600 s")
    if code != 0:
        raise CheckFailed(f"the second build failed: {log.read_text()[-2000:]}")
    differing = [name for name, first, second in [
        ("Wrenquil.exe", RELEASE_EXE, tree / "windows" / "Wrenquil.exe"),
        (SETUP_EXE.name, SETUP_EXE, tree / "dist" / SETUP_EXE.name),
        (PORTABLE_ZIP.name, PORTABLE_ZIP, tree / "dist" / PORTABLE_ZIP.name),
    ] if sha256(first) != sha256(second)]
    if differing:
        raise CheckFailed(f"different bytes: {', '.join(differing)}")
    print(f"      Wrenquil.exe sha256 {sha256(RELEASE_EXE)} in both builds", flush=True)


# --- running -----------------------------------------------------------------------------------

def check_environment():
    problems = [f"{path} is missing: run `make package` and `make windows`"
                for path in (RELEASE_EXE, OTHER_EXE, PROBE_EXE, SETUP_EXE, PORTABLE_ZIP)
                if not path.exists()]
    for name in ("WINEPREFIX", "DISPLAY"):
        if not os.environ.get(name):
            problems.append(f"{name} is not set: run through tests/installer/run.sh")
    return problems


def main(filters):
    global FOLDERS
    problems = check_environment()
    if not problems:
        FOLDERS = Folders()
    return run_cases("installer", CASES, filters, problems, reset_prefix, stop_wine)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
