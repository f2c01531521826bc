# What the black-box cases use to start Wrenquil under Wine and look at it from outside:
# the probe, the registry, the program's processes and the local gateway.
#
# Wine's output always goes through files: services Wine starts inherit a pipe and keep
# the reader waiting.
import os
import re
import subprocess
import sys
import tempfile
import time
import urllib.request
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
# Another build (a deliberately broken one, say) can be put to the same cases.
WINDOWS_BUILD = Path(os.environ.get("WRENQUIL_BLACKBOX_BUILD", REPO / "build" / "windows"))
DEMO_EXE = WINDOWS_BUILD / "demo" / "Wrenquil.exe"
PROBE_EXE = WINDOWS_BUILD / "wrenquil_probe.exe"
COMPANY_KEY = r"HKCU\Software\Halvory Limited"
WINE_SECONDS = 30  # a single Wine command that takes longer is hung


class CheckFailed(Exception):
    pass


def expect_equal(actual, expected, what):
    if actual != expected:
        raise CheckFailed(f"{what}: got {actual!r}, expected {expected!r}")


def poll(read, expected, seconds, what):
    # Reads until the value is the expected one; xdotool-like input returns before Wine
    # has acted on it, so every result is waited for, never slept for.
    deadline = time.monotonic() + seconds
    while True:
        value = read()
        if value == expected:
            return
        if time.monotonic() >= deadline:
            raise CheckFailed(f"{what}: still {value!r} after {seconds} s, expected {expected!r}")
        time.sleep(0.05)


def wine(*args, timeout=WINE_SECONDS):
    # Runs a Windows program to its end: (exit code, stdout, stderr).
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            code = subprocess.run(["wine", *map(str, args)], stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise CheckFailed(f"wine {' '.join(map(str, args))}: no end after {timeout} s")
        out.seek(0)
        err.seek(0)
        return code, out.read().decode("latin-1"), err.read().decode("latin-1")


def probe(*args):
    # One probe subcommand; its output without the final line end.
    code, out, err = wine(PROBE_EXE, *args)
    if code != 0:
        raise CheckFailed(err.strip() or f"probe {args[0]} failed with {code}, printing {out!r}")
    return out[:-1] if out.endswith("\n") else out


def stop_wine():
    # Ends every process of the prefix (a program a failed case left running would spoil the
    # next cases); the next Wine command starts the prefix's anew.
    for command in (["wineserver", "-k"], ["wineserver", "-w"]):
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def delete_company_key():
    wine("reg", "delete", COMPANY_KEY, "/f")  # exit code 1 when already absent


class RunningProgram:
    # A started Wrenquil (or a copy under another name). Used as a context manager, it
    # never outlives the case: a window left over is closed, then the process killed.

    def __init__(self, exe, *args):
        self.log = tempfile.TemporaryFile()
        self.process = subprocess.Popen(["wine", str(exe), *args], stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT)

    def __enter__(self):
        try:
            probe("wait-window", "20")
        except CheckFailed as failure:
            code = self.process.poll()
            self.log.seek(0)
            output = self.log.read().decode("latin-1")
            self.__exit__()
            raise CheckFailed(f"{failure} (exit code {code}; output {output!r})") from None
        return self

    def __exit__(self, *_):
        if self.process.poll() is None:
            try:
                probe("close")
                self.process.wait(timeout=5)
            except (CheckFailed, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        self.log.close()

    def close(self):
        # Closes the window as the user would and checks the process has ended.
        probe("close")
        probe("wait-gone", "10")
        try:
            code = self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise CheckFailed("the window is gone but the process is still running")
        expect_equal(code, 0, "exit code")


def registry_values(key):
    # {name: data} of the key's own values as `reg query` prints them (a DWORD as 0x..,
    # binary data in hex, text in the console's code page), or None when the key is missing.
    code, out, _ = wine("reg", "query", key)
    return None if code != 0 else {match[1]: match[2] for match in (re.match(
        r"    (.+?)    REG_[A-Z_]+    ?(.*)$", line) for line in out.splitlines()) if match}


def gateway_requests():
    # How many requests the gateway has answered (its control requests are not counted).
    with open(os.environ["WRENQUIL_TEST_GATEWAY_LOG"], "rb") as log:
        return log.read().count(b"\n")


def set_gateway_scenario(name):
    port = os.environ["WRENQUIL_TEST_GATEWAY_PORT"]
    url = f"http://127.0.0.1:{port}/control/scenario?name={name}"
    no_proxy = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    with no_proxy.open(url, timeout=5) as answer:
        expect_equal(answer.read(), b"ok", f"gateway scenario {name}")


def case_registrar(cases):
    # A decorator `case(name, rows)` that registers a case in `cases` once per row of its
    # table, its name formatted with the row.
    def case(name, rows=((),)):
        def register(function):
            for row in rows:
                cases.append((name.format(*row), function, row))
            return function
        return register
    return case


def run_cases(title, cases, filters, problems, prepare, cleanup):
    # Runs the cases whose names hold one of `filters` (all without any), each after
    # `prepare()`; a failing case runs `cleanup()` before the next, and so does the end of the run.
    # Prints a line a case and the closing `N passed, N failed`; gives the exit status. Problems
    # with the environment fail the run before any case.
    sys.stderr.write("".join(problem + "\n" for problem in problems))
    selected = [c for c in cases
                if not problems and (not filters or any(f in c[0] for f in filters))]
    failed, started = 0, time.monotonic()
    try:
        for name, function, arguments in selected:
            case_started, failure = time.monotonic(), ""
            try:
                prepare()
                function(*arguments)
            except Exception as error:  # a broken harness fails the case, it does not stop the run
                failed += 1
                cleanup()
                failure = ": " + (str(error) if isinstance(error, CheckFailed)
                                  else f"{type(error).__name__}: {error}")
            print(f"{'FAIL ' if failure else 'ok   '} {name} "
                  f"({time.monotonic() - case_started:.1f} s){failure}", flush=True)
    finally:
        cleanup()
    print(f"{title} run took {time.monotonic() - started:.1f} s")
    print(f"{len(selected) - failed} passed, {failed + len(problems)} failed")
    return 1 if failed or not selected else 0
