#!/usr/bin/env python3
# Black-box cases: the built demo Wrenquil.exe under Wine, driven and inspected from
# another process by wrenquil_probe.exe, talking to the local test gateway.
#
# Run through tests/blackbox/run.sh (a display, the gateway, a fresh Wine prefix).
# Arguments, if any, pick the cases whose names contain one of them.
# Prints one line per case and a last line `N passed, N failed`.
import os
from itertools import accumulate
from operator import xor
import shutil
import socket
import subprocess
import sys
import tempfile
from pathlib import Path

from wine_session import (case_registrar, run_cases, COMPANY_KEY, DEMO_EXE, PROBE_EXE, REPO,
                          RunningProgram, delete_company_key, expect_equal, gateway_requests,
                          poll, probe, registry_values, set_gateway_scenario, stop_wine, wine)

GATEWAY_PORT = os.environ.get("WRENQUIL_TEST_PORT", "18443")  # built into the demo program
COPIES = REPO / "build" / "blackbox"

CASES = []  # (name, function, arguments)
case = case_registrar(CASES)


# The second start finds the program's own window (a window of another program with the same
# title is not it), hands it the clipboard and shows it, and never waits for that window's thread,
# which a send may hold for long.
@case("a second start ends at once and hands the clipboard over to the program's window: {0}",
      rows=[("minimised",), ("in the tray, with a decoy window of the same title",),
            ("behind a decoy window of the same title",), ("busy with a send that never ends",)])
def second_start_hands_over(situation):
    clipboard, decoy = "n" * 161, None
    try:
        with RunningProgram(DEMO_EXE) as first, tempfile.TemporaryFile() as decoy_output:
            probe("set-clipboard", clipboard)
            if situation == "minimised":
                probe("minimize")
                poll(lambda: probe("iconic"), "1", 5, "minimised")
            elif "decoy" in situation:
                if "tray" in situation:
                    probe("command", "ID_MESSAGE_HIDE")  # the real window waits in the tray
                    poll(lambda: probe("visible"), "0", 5, "hidden to the tray")
                decoy = subprocess.Popen(["wine", str(PROBE_EXE), "decoy", "60"],
                                         stdin=subprocess.DEVNULL, stdout=decoy_output,
                                         stderr=subprocess.DEVNULL)
                poll(lambda: decoy_output.seek(0) or decoy_output.read(), b"shown\n", 10,
                     "the decoy window")
                poll(lambda: probe("in-front"), "0", 5, "the window behind the decoy")
            else:
                set_gateway_scenario("hang")
                probe("login", "ann", "pw")
                probe("set-text", "IDC_MESSAGE", "x")
                probe("set-text", "IDC_MOBILE", "07700")
                probe("click", "IDC_SEND")
                poll(lambda: probe("enabled", "IDC_SEND"), "0", 15, "Send greyed while sending")
            code, _, _ = wine(DEMO_EXE, timeout=10)
            expect_equal(code, 0, "the second start's exit code")
            if situation.startswith("busy"):
                first.process.kill()  # it would wait on the gateway for ever
                return
            poll(lambda: probe("text", "IDC_MESSAGE"), clipboard, 5, "the first's message box")
            expect_equal(probe("status", "1"), "161 characters / 2 messages", "counter")
            poll(lambda: probe("iconic") + probe("visible") + probe("in-front"), "011", 5,
                 "minimised, visible, in front")
            first.close()
    finally:
        set_gateway_scenario("ok")
        if decoy is not None:
            decoy.kill()
            decoy.wait()


# Only a command line that ends in " -c" pastes; GetCommandLine is the exe path and the
# arguments joined by blanks. The program's name in the registry is its file's name without the
# extension; only the empty Preferences key is made, at start: nothing is written on the way out.
@case("{0} started with '{1}': {2}", rows=[("Wrenquil.exe", "-x -c", "pastes"),
                                           ("Text Sender.exe", "-c -x", "does not paste")])
def start_with_arguments(file_name, arguments, outcome):
    pastes = outcome == "pastes"
    clipboard = "Pasted at start"
    probe("set-clipboard", clipboard)
    COPIES.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(DEMO_EXE, COPIES / file_name)
    with RunningProgram(COPIES / file_name, *arguments.split()) as program:
        # The paste happens before the window is first shown: no waiting needed.
        expect_equal(probe("text", "IDC_MESSAGE"), clipboard if pastes else "", "message box")
        expect_equal(probe("status", "1"), "15 characters / 1 message" if pastes
                     else "0 characters / 0 messages", "counter")
        program.close()
    _, out, _ = wine("reg", "query", COMPANY_KEY, "/s")
    key = r"HKEY_CURRENT_USER\Software\Halvory Limited" + "\\" + file_name[:-len(".exe")]
    expect_equal(out.split("\r\n"), ["", key, "", key + r"\Preferences", "", ""], "registry")


# A user's own text, in the code page Wine gives this run's programs (it takes it from each
# process's LC_ALL): typed into the Login dialog and Preferences, sent, counted, stored and used
# again after a restart, each value checked at the gateway and in the registry.
CODE_PAGE = {"ru": "cp1251", "ja": "cp932"}.get(os.environ.get("LC_ALL", "")[:2])
TEXTS = {  # user name, password, message, a letter that takes every byte, a program's name
    "cp1251": ("Иван Петров", "пароль№1", "Привет, мир & всё", "Ж", "Отправка"),
    # ソ and 表 end in 5C, a backslash on its own.
    "cp932": ("田中ソ", "パスワード表", "こんにちは 世界、表示", "ソ", "ソフト"),
}
OEM_CODE_PAGE = {"cp1251": "cp866", "cp932": "cp932"}  # what reg prints in
SECTION = COMPANY_KEY + r"\Wrenquil\Preferences"
NOT_IN_CODE_PAGE = ("holds characters that this computer's code page for programs that are not "
                    "Unicode has no place for")
TEXT_CASES = []
text_case = case_registrar(TEXT_CASES)


def read(probe_output):
    # What the probe printed, in the code page.
    return probe_output.encode("latin-1").decode(CODE_PAGE)


def send_and_see(user, password, message):
    # Sends to 07700, and sees the request as the gateway echoes it: each value as the program
    # encodes it.
    def encoded(text):
        return "".join(chr(b) if chr(b).isascii() and (chr(b).isalnum() or b == 0x5F) else
                       "+" if b == 0x20 else f"%{b:02X}" for b in text.encode(CODE_PAGE or "ascii"))
    probe("click", "IDC_SEND")
    probe("wait-status", "0", f"GET /wrenquil/index.php?usr={encoded(user)}&pwd="
          f"{encoded(password)}&mob=07700&txt={encoded(message)} HTTP/1.0Accept: */*"
          f"User-Agent: WrenquilHost: localhost:{GATEWAY_PORT}", "15")


@text_case("the code page's text from the Login dialog and Preferences to the gateway and back, "
           "and in the program file's name")
def text_in_the_code_page():
    user, password, message, letter, name = TEXTS[CODE_PAGE]
    logged_in = f'User "{user}" logged in, to logoff choose Message->Logoff'
    set_gateway_scenario("echo")
    try:
        with RunningProgram(DEMO_EXE) as program:
            probe("login", user, password)
            probe("set-text", "IDC_MESSAGE", message)
            probe("set-text", "IDC_MOBILE", "07700")
            send_and_see(user, password, message)
            # Every length is in bytes: a character may take two.
            whole = 160 // len(letter.encode(CODE_PAGE))
            for text, counter in ((letter * whole, "160 characters / 1 message"),
                                  (letter * whole + "x", "161 characters / 2 messages")):
                probe("set-text", "IDC_MESSAGE", text)
                expect_equal(read(probe("status", "1")), counter, "counter")
                expect_equal(read(probe("text", "IDC_MESSAGE")), text, "message box")
            probe("command", "ID_OPTIONS_PREFERENCES")
            probe("dialog-click", "Preferences", "IDC_AUTO_LOGON")
            for box, text in (("IDC_PREF_USERNAME", user), ("IDC_PREF_PASSWORD", password),
                              ("IDC_PREF_PHONE", "07700")):
                probe("dialog-text", "Preferences", box, text)
            probe("dialog-click", "Preferences", "IDOK")
            poll(lambda: read(probe("status", "0")), logged_in, 5, "status")
            program.close()
        stored = {name: text.encode("latin-1").decode(OEM_CODE_PAGE[CODE_PAGE])
                  for name, text in registry_values(SECTION).items()}
        # The password scrambled: each byte XOR the one stored before it, from 0xA7.
        scrambled = bytes(accumulate(password.encode(CODE_PAGE), xor, initial=0xA7))[1:]
        expect_equal((stored.get("User"), stored.get("Phone"), stored.get("Passwd")),
                     (user, "07700", scrambled.hex().upper()), "User, Phone and Passwd stored")
        # Logged on with what was stored: typed now, as an input method gives characters.
        with RunningProgram(DEMO_EXE) as program:
            poll(lambda: read(probe("status", "0")), logged_in, 5, "auto logon")
            probe("type", message)
            poll(lambda: read(probe("text", "IDC_MESSAGE")), message, 5, "typed message")
            send_and_see(user, password, message)
            # A letter no code page here has: refused, nothing sent, and the message kept.
            probe("set-text", "IDC_MESSAGE", "")
            probe("type", "Łódź")
            requests = gateway_requests()
            probe("click", "IDC_SEND")
            expect_equal(NOT_IN_CODE_PAGE in read(probe("dialog-text", "Info", "0xFFFF")), True,
                         "the message box's text")
            probe("dialog-click", "Info", "IDOK")
            expect_equal(gateway_requests(), requests, "requests at the gateway")
            expect_equal(probe("enabled", "IDC_SEND"), "1", "Send enabled")
            # The number box's limit counts characters: 13 full-width digits fit.
            if CODE_PAGE == "cp932":
                probe("set-text", "IDC_MOBILE", "")
                probe("set-clipboard", "０７７００ ９００ １２３")
                probe("paste", "IDC_MOBILE")
                expect_equal(read(probe("text", "IDC_MOBILE")), "０７７００ ９００ １２３",
                             "the pasted number")
            program.close()
        # The settings' key is the program file's name, which no trail byte cuts.
        COPIES.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(DEMO_EXE, COPIES / f"{name}.exe")
        with RunningProgram(COPIES / f"{name}.exe") as program:
            program.close()
        code, _, _ = wine("reg", "query", COMPANY_KEY + "\\" + name + r"\Preferences")
        expect_equal(code, 0, f"the key {name}\\Preferences")
    finally:
        set_gateway_scenario("ok")


INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


# The system's proxy, as Windows sets it, is the one the send goes through: Debian's tinyproxy on
# the loopback address, tunnelling to the local gateway.
@case("a send through the system's proxy")
def send_through_proxy():
    with tempfile.TemporaryDirectory() as folder, socket.socket() as free:
        free.bind(("127.0.0.1", 0))
        port = free.getsockname()[1]
        free.close()
        log = Path(folder) / "proxy.log"
        (Path(folder) / "proxy.conf").write_text(
            f'Port {port}\nListen 127.0.0.1\nLogFile "{log}"\nLogLevel Connect\n'
            f"Allow 127.0.0.1\nConnectPort {GATEWAY_PORT}\n")
        proxy = subprocess.Popen(["tinyproxy", "-d", "-c", Path(folder) / "proxy.conf"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # An override of its own, or Wine would take no_proxy from the environment instead.
        settings = [("ProxyEnable", "REG_DWORD", "1"), ("ProxyServer", "REG_SZ", f"localhost:{port}"),
                    ("ProxyOverride", "REG_SZ", "nothing.invalid")]
        set_gateway_scenario("echo")
        try:
            for name, kind, data in settings:
                wine("reg", "add", INTERNET_SETTINGS, "/v", name, "/t", kind, "/d", data, "/f")
            with RunningProgram(DEMO_EXE) as program:
                probe("login", "ann", "pw")
                probe("set-text", "IDC_MESSAGE", "via the proxy")
                probe("set-text", "IDC_MOBILE", "07700")
                send_and_see("ann", "pw", "via the proxy")
                program.close()
            expect_equal(f"CONNECT localhost:{GATEWAY_PORT}" in log.read_text(), True,
                         "the request passed through the proxy")
        finally:
            set_gateway_scenario("ok")
            for name, _, _ in settings:
                wine("reg", "delete", INTERNET_SETTINGS, "/v", name, "/f")
            proxy.kill()
            proxy.wait()


def check_environment():
    # Run through tests/blackbox/run.sh after `make windows` (make test-blackbox does both).
    if os.environ.get("WRENQUIL_TEST_GATEWAY_PORT") != GATEWAY_PORT:
        return [f"the test gateway must listen on port {GATEWAY_PORT}, the demo's"]
    return [f"{path} is missing" for path in (DEMO_EXE, PROBE_EXE) if not path.exists()]


def main(filters):
    # Under a locale of its own the run is the code page's cases alone.
    title, cases = (f"black-box in {CODE_PAGE}", TEXT_CASES) if CODE_PAGE else ("black-box", CASES)
    return run_cases(title, cases, filters, check_environment(), delete_company_key, stop_wine)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
