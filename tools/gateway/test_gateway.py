#!/usr/bin/env python3
"""Tests for the local gateway and its certificates.

Run: python3 -m unittest discover -s tools/gateway -p 'test_*.py'
"""
import hashlib
import json
import os
import shutil
import signal
import socket
import ssl
import struct
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import gateway  # noqa: E402  (for the pure decoding functions)

CERTS = None  # filled by setUpModule
CERT_FILES = ("ca.key", "ca.pem", "ca.der", "server.key", "server.pem",
              "untrusted.key", "untrusted.pem", "trust-ca.reg")


def setUpModule():
    global CERTS
    CERTS = tempfile.mkdtemp(prefix="gateway-test-")
    make_ca(CERTS)


def tearDownModule():
    shutil.rmtree(CERTS, ignore_errors=True)


def make_ca(outdir):
    subprocess.run([sys.executable, os.path.join(HERE, "make_ca.py"), outdir],
                   check=True, stdout=subprocess.DEVNULL, timeout=60)


def wait_for(predicate, timeout, what):
    limit = time.monotonic() + timeout
    while time.monotonic() < limit:
        result = predicate()
        if result:
            return result
        time.sleep(0.02)
    raise AssertionError("timed out waiting for " + what)


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


class Server:
    """The gateway as a subprocess on a free port."""

    def __init__(self, *extra):
        self.dir = tempfile.mkdtemp(prefix="gateway-run-", dir=CERTS)
        self.log = os.path.join(self.dir, "requests.log")
        self.ready = os.path.join(self.dir, "port")
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "gateway.py"), "--port", "0",
             "--cert-dir", CERTS, "--log", self.log, "--ready-file", self.ready,
             "--max-seconds", "60", *extra],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.port = int(wait_for(self.read_port, 10, "the ready file"))

    def read_port(self):
        if self.proc.poll() is not None:
            raise AssertionError("gateway exited with %s" % self.proc.returncode)
        data = read_file(self.ready)
        return data.strip() if data else None

    def log_entries(self):
        data = read_file(self.log) or b""
        return [json.loads(line) for line in data.decode().splitlines()]

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=5)


def client_context(cafile=None):
    ctx = ssl.create_default_context(cafile=cafile or os.path.join(CERTS, "ca.pem"))
    ctx.verify_flags |= ssl.VERIFY_X509_STRICT  # newer Pythons do this by default
    return ctx


def https(port, request, ctx=None, timeout=5.0):
    """Send request bytes over TLS and read until the connection ends.

    TLS runs over memory buffers so the TCP ending stays visible. Returns (data, end) with
    end one of "close_notify" (clean TLS close), "fin" (TCP closed without it), "reset"."""
    sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
    tls = (ctx or client_context()).wrap_bio(incoming, outgoing, server_hostname="localhost")
    data, end = b"", None

    def receive():
        nonlocal end
        try:
            chunk = sock.recv(65536)
        except ConnectionResetError:
            chunk, end = b"", "reset"
        if chunk:
            incoming.write(chunk)
        else:
            end = end or "fin"
            incoming.write_eof()

    try:
        while True:  # handshake
            try:
                tls.do_handshake()
                break
            except ssl.SSLWantReadError:
                if end:
                    raise ConnectionError("connection ended during the handshake: " + end)
                sock.sendall(outgoing.read())
                receive()
        tls.write(request)
        sock.sendall(outgoing.read())
        while True:
            try:
                chunk = tls.read(65536)
                if not chunk:  # what SSLObject returns for close_notify
                    return data, "close_notify"
                data += chunk
            except ssl.SSLWantReadError:
                sock.sendall(outgoing.read())  # e.g. answers to TLS 1.3 session tickets
                if end:
                    return data, end
                receive()
            except ssl.SSLEOFError:
                return data, end
    finally:
        sock.close()


def wrenquil_head(port, query):
    """The request head exactly as the Windows client puts it on the wire."""
    return ("GET /wrenquil/index.php?%s HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Wrenquil\r\n"
            "Host: localhost:%d\r\n\r\n" % (query, port)).encode("latin-1")


def parse_response(data):
    head, _, body = data.partition(b"\r\n\r\n")
    lines = head.decode("latin-1").split("\r\n")
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(": ")
        assert name not in headers, "duplicate header " + name
        headers[name] = value
    return lines[0], headers, body


def plain_http(port, target):
    with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
        sock.sendall(b"GET %s HTTP/1.0\r\n\r\n" % target.encode())
        data = b""
        while True:
            chunk = sock.recv(65536)
            if not chunk:
                return data
            data += chunk


class DecodingTest(unittest.TestCase):
    def test_php_urldecode(self):
        cases = [
            ("", ""),
            ("a+b", "a b"),
            ("%2B", "+"),
            ("%26", "&"),
            ("%3d%3D", "=="),          # both hex cases
            ("%e9t%C3%A9", "\xe9t\xc3\xa9"),  # bytes as latin-1, UTF-8 not combined
            ("%00x", "\x00x"),
            ("%", "%"),                # incomplete escapes stay literal
            ("%4", "%4"),
            ("%4g", "%4g"),
            ("%%41", "%A"),
            ("100%", "100%"),
            ("%2B+%20", "+  "),
        ]
        for wire, decoded in cases:
            with self.subTest(wire=wire):
                self.assertEqual(gateway.php_urldecode(wire), decoded)

    def test_parse_query(self):
        cases = [
            ("/p", {}),
            ("/p?", {}),
            ("/p?a=1&b=2", {"a": "1", "b": "2"}),
            ("/p?a=1&a=2", {"a": "2"}),          # the last repeated name wins
            ("/p?flag&x=", {"flag": "", "x": ""}),
            ("/p?a=x=y", {"a": "x=y"}),
            ("/p?a=1&&b=2", {"a": "1", "b": "2"}),
            ("/p?m%6fb=1", {"mob": "1"}),         # names are decoded too
        ]
        for target, query in cases:
            with self.subTest(target=target):
                self.assertEqual(gateway.parse_query(target), query)


class CertificateTest(unittest.TestCase):
    def snapshot(self, outdir):
        return {name: read_file(os.path.join(outdir, name)) for name in CERT_FILES}

    def assert_server_cert_verifies(self, outdir):
        subprocess.run(["openssl", "verify", "-x509_strict", "-CAfile",
                        os.path.join(outdir, "ca.pem"), os.path.join(outdir, "server.pem")],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def test_reuses_existing_and_recreates_missing(self):
        cases = [
            ((), set()),
            (("server.pem",), {"server.key", "server.pem"}),
            (("untrusted.key",), {"untrusted.key", "untrusted.pem"}),
            (("ca.der", "trust-ca.reg"), set()),  # derived again, identical
            # A new CA must bring a new server certificate, or the pair would not verify.
            (("ca.key",), {"ca.key", "ca.pem", "ca.der", "trust-ca.reg",
                           "server.key", "server.pem"}),
        ]
        outdir = tempfile.mkdtemp(prefix="gateway-ca-", dir=CERTS)
        make_ca(outdir)
        for removed, changed in cases:
            with self.subTest(removed=removed):
                before = self.snapshot(outdir)
                for name in removed:
                    os.remove(os.path.join(outdir, name))
                make_ca(outdir)
                after = self.snapshot(outdir)
                self.assertTrue(all(after.values()), "a file is missing")
                self.assertEqual({n for n in CERT_FILES if before[n] != after[n]}, changed)
                self.assert_server_cert_verifies(outdir)

    def test_trust_reg_holds_the_ca(self):
        der = read_file(os.path.join(CERTS, "ca.der"))
        with open(os.path.join(CERTS, "ca.pem")) as f:
            self.assertEqual(der, ssl.PEM_cert_to_DER_cert(f.read()))
        text = read_file(os.path.join(CERTS, "trust-ca.reg")).decode("ascii")
        lines = text.split("\r\n")
        self.assertEqual(lines[:2], ["REGEDIT4", ""])
        sha1 = hashlib.sha1(der).digest()
        self.assertEqual(lines[2], "[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates"
                                   "\\Root\\Certificates\\%s]" % sha1.hex().upper())
        value = "".join(lines[3:]).replace("\\  ", "")  # undo the line wrapping
        self.assertTrue(value.startswith('"Blob"=hex:'))
        self.assertTrue(all(len(l) <= 80 for l in lines[3:]), "value lines are wrapped")
        blob = bytes.fromhex(value[len('"Blob"=hex:'):].replace(",", ""))
        self.assertEqual(struct.unpack("<III", blob[:12]), (3, 1, 20))
        self.assertEqual(blob[12:32], sha1)
        self.assertEqual(struct.unpack("<III", blob[32:44]), (0x20, 1, len(der)))
        self.assertEqual(blob[44:], der)


class ScenarioTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = Server()
        cls.port = cls.server.port

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()

    def set_scenario(self, name, plain=False):
        if plain:
            data = plain_http(self.port, "/control/scenario?name=" + name)
        else:
            data, _ = https(self.port, b"GET /control/scenario?name=%s HTTP/1.0\r\n\r\n"
                            % name.encode())
        return parse_response(data)

    def send(self, query="usr=u&pwd=p&mob=1&txt=hi"):
        return https(self.port, wrenquil_head(self.port, query))

    def test_answers(self):
        crlf_lines = lambda b: b.count(b"\r\n") >= 3 and b.count(b"\n") == b.count(b"\r\n")
        cases = [
            ("ok", "200 OK", "text/plain", lambda b: b == b"1|Message sent"),
            ("fail", "200 OK", "text/plain", lambda b: b == b"0|Invalid mobile number"),
            ("html500", "500 Internal Server Error", "text/html",
             lambda b: b.startswith(b"<!DOCTYPE html>") and crlf_lines(b)),
            ("redirect", "302 Found", "text/plain", lambda b: b == b"1|Redirect body"),
            ("big", "200 OK", "text/plain",
             lambda b: b.startswith(b"1|") and len(b) == 5002 and crlf_lines(b)),
            ("lines", "200 OK", "text/plain", lambda b: b == b"1|Sent\r\nRef 7\r\n"),
        ]
        for scenario, status, ctype, body_ok in cases:
            with self.subTest(scenario=scenario):
                self.set_scenario(scenario)
                data, end = self.send()
                status_line, headers, body = parse_response(data)
                self.assertEqual(end, "close_notify")
                self.assertEqual(status_line, "HTTP/1.0 " + status)
                self.assertEqual(headers["Content-Type"], ctype)
                self.assertEqual(headers["Content-Length"], str(len(body)))
                self.assertEqual(headers["Connection"], "close")
                self.assertTrue(body_ok(body), body[:200])
                if scenario == "redirect":
                    self.assertRegex(headers["Location"],
                                     r"^https://localhost:%d/\S+$" % self.port)
                if scenario == "big":
                    self.assertEqual(self.send()[0], data, "big body must be deterministic")

    def test_request_is_logged_byte_for_byte(self):
        self.set_scenario("ok")
        query = "usr=a%2Bb&pwd=p+w&mob=%2B447700&txt=Tom+%26+Jerry%3A+50%25+%2B+more"
        head = wrenquil_head(self.port, query)
        self.send(query)
        entry = self.server.log_entries()[-1]
        self.assertEqual(entry["raw"], head.decode("latin-1"))
        self.assertEqual(entry["request_line"],
                         "GET /wrenquil/index.php?%s HTTP/1.0" % query)
        self.assertEqual(entry["headers"], [["Accept", "*/*"], ["User-Agent", "Wrenquil"],
                                            ["Host", "localhost:%d" % self.port]])
        self.assertEqual(entry["query"], {"usr": "a+b", "pwd": "p w", "mob": "+447700",
                                          "txt": "Tom & Jerry: 50% + more"})

    def test_control_switches_scenario_and_is_not_logged(self):
        cases = [  # (scenario to set, over plain HTTP?, expected control status, next body)
            ("fail", False, "200 OK", b"0|Invalid mobile number"),
            ("ok", True, "200 OK", b"1|Message sent"),
            ("nonsense", False, "400 Bad Request", b"1|Message sent"),  # left unchanged
            ("", True, "400 Bad Request", b"1|Message sent"),
        ]
        for name, plain, status, body in cases:
            with self.subTest(name=name, plain=plain):
                logged = len(self.server.log_entries())
                status_line, _, reply = self.set_scenario(name, plain)
                self.assertEqual(status_line, "HTTP/1.0 " + status)
                if status.startswith("200"):
                    self.assertEqual(reply, b"ok")
                self.assertEqual(len(self.server.log_entries()), logged)
                self.assertEqual(parse_response(self.send()[0])[2], body)
                self.assertEqual(len(self.server.log_entries()), logged + 1)

    def test_plain_http_is_refused_outside_control(self):
        status_line, _, _ = parse_response(plain_http(self.port, "/wrenquil/index.php?usr=u"))
        self.assertEqual(status_line, "HTTP/1.0 400 Bad Request")

    def test_no_reply(self):
        cases = [("close", (b"", "close_notify")),  # clean close, nothing sent
                 ("silent", socket.timeout)]        # connection stays open, nothing sent
        for scenario, outcome in cases:
            with self.subTest(scenario=scenario):
                self.set_scenario(scenario)
                logged = len(self.server.log_entries())
                request = wrenquil_head(self.port, "txt=" + scenario)
                if outcome is socket.timeout:
                    with self.assertRaises(socket.timeout):
                        https(self.port, request, timeout=0.5)
                else:
                    self.assertEqual(https(self.port, request), outcome)
                # The request was still read and recorded.
                self.assertEqual([e["query"] for e in self.server.log_entries()[logged:]],
                                 [{"txt": scenario}])

    def test_reset_cuts_the_body(self):
        self.set_scenario("reset")
        data, end = self.send()
        self.assertEqual(end, "reset")
        status_line, headers, body = parse_response(data)
        self.assertEqual(status_line, "HTTP/1.0 200 OK")
        self.assertTrue(body.startswith(b"1|"))
        self.assertLess(len(body), int(headers["Content-Length"]))

    def test_hang_holds_without_blocking_others(self):
        self.set_scenario("hang")
        stuck = socket.create_connection(("127.0.0.1", self.port), timeout=0.5)
        tls = client_context().wrap_socket(stuck, server_hostname="localhost",
                                           do_handshake_on_connect=False)
        try:
            with self.assertRaises(socket.timeout):
                tls.do_handshake()
            # While that handshake hangs, the server still serves other connections.
            self.assertEqual(self.set_scenario("ok", plain=True)[0], "HTTP/1.0 200 OK")
            self.assertEqual(parse_response(self.send()[0])[2], b"1|Message sent")
            # ...and the hung connection is still open, not closed or answered.
            with self.assertRaises(socket.timeout):
                tls.do_handshake()
        finally:
            tls.close()


class UntrustedTest(unittest.TestCase):
    def test_untrusted_certificate(self):
        server = Server("--untrusted")
        try:
            request = wrenquil_head(server.port, "usr=u")
            with self.assertRaises(ssl.SSLCertVerificationError):
                https(server.port, request)
            # Trusting the certificate itself works: it is valid for localhost, only untrusted.
            ctx = client_context(os.path.join(CERTS, "untrusted.pem"))
            data, _ = https(server.port, request, ctx)
            self.assertEqual(parse_response(data)[2], b"1|Message sent")
        finally:
            server.stop()


class LifetimeTest(unittest.TestCase):
    def test_stops_by_itself(self):
        cases = [("SIGTERM", signal.SIGTERM, ()), ("SIGINT", signal.SIGINT, ()),
                 ("max-seconds", None, ("--max-seconds", "0.5"))]
        for name, sig, extra in cases:
            with self.subTest(name):
                server = Server(*extra)
                if sig:
                    server.proc.send_signal(sig)
                self.assertEqual(server.proc.wait(timeout=5), 0)
                with self.assertRaises(ConnectionRefusedError):
                    socket.create_connection(("127.0.0.1", server.port), timeout=2).close()

    def test_stale_ready_file_is_replaced(self):
        ready = os.path.join(CERTS, "stale-port")
        with open(ready, "w") as f:
            f.write("1\n")
        proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "gateway.py"), "--cert-dir", CERTS,
             "--ready-file", ready, "--max-seconds", "30"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            fresh = lambda: (read_file(ready) or b"1\n") != b"1\n" and read_file(ready)
            port = int(wait_for(fresh, 10, "a fresh port"))
            socket.create_connection(("127.0.0.1", port), timeout=2).close()
        finally:
            proc.terminate()
            proc.wait(timeout=5)


if __name__ == "__main__":
    unittest.main()
