#!/usr/bin/env python3
# Installer and package cases: what `make package` put in dist/, run under Wine: the setup
# program silently and through its windows, the installed Wrenquil driven from outside by
# wrenquil_probe.exe, the uninstaller, and a second clean build that must give the same bytes.
# (run_file_checks.py reads the same files without Wine.)
#
# Run through tests/installer/run.sh (a display, a fresh Wine prefix). Arguments, if any, pick
# the cases whose names contain one of them. Prints one line per case and a last line
# `N passed, N failed`.
import filecmp, os, shutil, subprocess, sys, tempfile  # noqa: E401
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "blackbox"))
from run_file_checks import APP_KEY, PORTABLE_ZIP, RELEASE_EXE, SETUP_EXE, VERSION  # noqa: E402
from wine_session import (case_registrar, run_cases, COMPANY_KEY, DEMO_EXE,  # noqa: E402
                          REPO, RunningProgram, expect_equal, poll, probe, registry_values,
                          stop_wine, wine)

OTHER_PROGRAM_KEY = COMPANY_KEY + r"\Other Program"
SETTINGS_KEY = APP_KEY + r"\Preferences"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Wrenquil"
# Run at System Startup writes the machine's Run key, or the user's where it cannot.
RUN_KEYS = [rf"{root}\Software\Microsoft\Windows\CurrentVersion\Run" for root in ("HKLM", "HKCU")]
RUN_AT_STARTUP, OTHER_VALUE = "0x1", r"C:\Other\other.exe"  # a DWORD; another program's

# Message box titles; NSIS's pages add a blank to them.
SETUP, UNINSTALL = f"Wrenquil {VERSION} Setup", "Wrenquil Uninstall"
EXIT_RUNNING = 3  # the (un)installer's exit code while Wrenquil runs

DEFAULT_FOLDER, FOLDER_WITH_BLANKS = "the default folder", r"C:\Apps\SMS Tools\Wrenquil"
# The prefix's default installation "folder" and Start menu "shortcut", and a "scratch" folder
# of this run's own: set in main().
RUN = {}
CASES = []  # (name, function, arguments)
case = case_registrar(CASES)


# --- the prefix: paths, the registry ---------------------------------------------------------

def unix(windows_path):  # C:\x is <prefix>/dosdevices/c:/x
    return Path(os.environ["WINEPREFIX"], "dosdevices",
                windows_path[0].lower() + windows_path[1:].replace("\\", "/"))


def registry_value(key, name):
    return (registry_values(key) or {}).get(name)


# No Wrenquil installed, no trace of one; reg's exit code is 1 for what is already gone.
def reset_prefix():
    for what in [[COMPANY_KEY], [UNINSTALL_KEY]] + [[key, "/v", "Wrenquil"] for key in RUN_KEYS]:
        wine("reg", "delete", *what, "/f")
    for folder in (RUN["folder"], FOLDER_WITH_BLANKS):
        shutil.rmtree(unix(folder), ignore_errors=True)
    unix(RUN["shortcut"]).unlink(missing_ok=True)


# Exit code of a run without windows (exe: a Unix path, found on Wine's drive Z:), through
# cmd: /D= and _?= take the rest of the line, blanks and all, unquoted, and only cmd passes it
# on that way (wine would quote it).
def silently(exe, options=""):
    return wine("cmd", "/c", "Z:" + str(exe).replace("/", "\\") + f" /S{options}")[0]


# --- an installation from start to end, in each folder -------------------------------------

@case("installed into {0}: started, Run at System Startup, blocked while running, updated, "
      "uninstalled {1}", rows=[(DEFAULT_FOLDER, "silently"),
                               (FOLDER_WITH_BLANKS, "answering No to removing the settings"),
                               (DEFAULT_FOLDER, "answering Yes to removing the settings")])
def lifecycle(where, uninstall):
    folder, option = (RUN["folder"], "") if where == DEFAULT_FOLDER else (where, f" /D={where}")
    installed, uninstaller = folder + r"\Wrenquil.exe", folder + r"\uninstall.exe"
    exe, exe_path = unix(installed), f'"{installed}"' if " " in folder else installed
    expect_equal(silently(SETUP_EXE, option), 0, "the silent setup program's exit code")
    expect_equal(filecmp.cmp(exe, RELEASE_EXE, shallow=False), True, "installed: the release exe")
    entry = registry_values(UNINSTALL_KEY) or {}
    expect_equal(int(entry.pop("EstimatedSize", "0"), 16) >= 290, True, "EstimatedSize >= 290 KB")
    expect_equal(entry, {
        "DisplayName": "Wrenquil", "DisplayVersion": VERSION, "Publisher": "Halvory Limited",
        "DisplayIcon": installed + ",0", "InstallLocation": folder,
        "UninstallString": f'"{uninstaller}"', "QuietUninstallString": f'"{uninstaller}" /S',
        "URLInfoAbout": "https://www.halvory.com/", "NoModify": "0x1", "NoRepair": "0x1"},
        "uninstall entry")
    # Installing records where the program is, and neither starts it with Windows nor makes
    # settings.
    expect_equal([registry_values(APP_KEY), registry_values(SETTINGS_KEY)] +
                 [registry_value(key, "Wrenquil") for key in RUN_KEYS],
                 [{"ExePath": exe_path}, None, None, None], "ExePath, settings, Run values")

    # Another build of the same program (it sends to the local gateway) stands in for an older
    # installed version, told apart by its bytes.
    exe.write_bytes(DEMO_EXE.read_bytes())
    with RunningProgram("start", "/wait", RUN["shortcut"]) as program:
        probe("command", "ID_OPTIONS_PREFERENCES")
        probe("dialog-click", "Preferences", "IDC_RUN_AT_STARTUP")
        probe("dialog-click", "Preferences", "IDOK")
        poll(lambda: registry_value(RUN_KEYS[0], "Wrenquil"), exe_path, 5, "machine's Run value")
        # While it runs, silent runs end with 3; _?= keeps the uninstaller (here a copy) in
        # place, so its exit code is the command's.
        copied = shutil.copy(unix(uninstaller), RUN["scratch"])
        expect_equal([silently(SETUP_EXE, option), silently(copied, f" _?={folder}")],
                     [EXIT_RUNNING] * 2, "the silent setup program's and uninstaller's exit codes")
        # Through its windows, the setup program asks to close it, again after a Retry while
        # it still runs, and goes on after a Retry once it is closed.
        setup = subprocess.Popen(["wine", SETUP_EXE], stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        probe("dialog-click", SETUP, "4", "20")  # Retry (IDRETRY)
        program.close()
        probe("dialog-click", SETUP, "4", "20")
        probe("dialog-click", SETUP + " ", "IDOK", "20")  # Install, into the last folder
        probe("dialog-click", SETUP + " ", "IDOK", "30")  # Finish, "Start Wrenquil now"
        expect_equal(setup.wait(20), 0, "the setup program's exit code after Retry")
    expect_equal(filecmp.cmp(exe, RELEASE_EXE, shallow=False), True, "updated: the release exe")
    probe("wait-window", "20")
    probe("close")
    probe("wait-gone", "10")

    # More traces of use: the user's Run value too; other programs' Run values and, where the
    # settings stay, their settings (else no Halvory Limited key must stay).
    wine("reg", "add", RUN_KEYS[1], "/v", "Wrenquil", "/d", exe_path, "/f")
    removes_settings = "Yes" in uninstall
    for key in RUN_KEYS + ([] if removes_settings else [OTHER_PROGRAM_KEY]):
        wine("reg", "add", key, "/v", "Other", "/d", OTHER_VALUE, "/f")
    if uninstall == "silently":
        expect_equal(wine(unix(uninstaller), "/S")[0], 0, "the silent uninstaller's exit code")
    else:
        wine(unix(uninstaller))  # it goes on as a copy of itself
        probe("dialog-click", UNINSTALL + " ", "IDOK", "20")  # Uninstall
        probe("dialog-click", UNINSTALL, "IDYES" if removes_settings else "IDNO", "20")
        probe("dialog-click", UNINSTALL + " ", "IDOK", "20")  # Close
    poll(lambda: unix(folder).exists(), False, 30, "the installation folder is there")
    kept = [None] * 3 if removes_settings else [{}, RUN_AT_STARTUP, {"Other": OTHER_VALUE}]
    expect_equal([unix(RUN["shortcut"]).exists(), registry_values(UNINSTALL_KEY)] +
                 [registry_value(key, name) for key in RUN_KEYS for name in ("Wrenquil", "Other")] +
                 [registry_values(APP_KEY), registry_value(SETTINGS_KEY, "RunAtStartup"),
                  registry_values(COMPANY_KEY if removes_settings else OTHER_PROGRAM_KEY)],
                 [False, None] + [None, OTHER_VALUE] * 2 + kept,
                 "the shortcut is there, the uninstall entry, the machine's and the user's Run "
                 "values (Wrenquil, Other), the program's key (ExePath gone), RunAtStartup, the "
                 "Halvory Limited key (without settings) or another program's")


@case("a second, clean build in another tree gives the same bytes")
def reproducible():
    tree = RUN["scratch"] / "second build"  # a blank in the path, for good measure
    build = subprocess.run([REPO / "scripts" / "package.sh", "--build-dir", tree / "windows",
                            "--dist-dir", tree / "dist"], stdin=subprocess.DEVNULL,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
    expect_equal(build.returncode, 0, f"the second build ({build.stdout[-2000:].decode()})")
    # The zip holds the release exe, the setup program a compressed copy.
    _, differ, missing = filecmp.cmpfiles(REPO / "dist", tree / "dist",
                                          [SETUP_EXE.name, PORTABLE_ZIP.name], shallow=False)
    expect_equal(differ + missing, [], "files whose bytes differ")


def main(filters):
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        return "run through tests/installer/run.sh (a Wine prefix and a display of its own)"
    local, roaming = wine("cmd", "/c", "echo %LOCALAPPDATA%&echo %APPDATA%")[1].splitlines()[:2]
    RUN["folder"] = local + r"\Programs\Wrenquil"
    RUN["shortcut"] = roaming + r"\Microsoft\Windows\Start Menu\Programs\Wrenquil.lnk"
    with tempfile.TemporaryDirectory(dir=REPO / "build", prefix="installer-test.") as scratch:
        RUN["scratch"] = Path(scratch)
        return run_cases("installer", CASES, filters, [], reset_prefix, stop_wine)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
