#!/usr/bin/env python3
"""What the program's tests trust the local gateway for: it decodes a query as the real
gateway does, records each request exactly as it came, records no control request, and its
untrusted twin is not trusted by the test CA. A fault here would hide one of the program's.

Run: python3 -m unittest discover -s tools/gateway -p 'test_*.py'
"""
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import gateway  # noqa: E402  (for the pure decoding functions)


class DecodingTest(unittest.TestCase):
    def test_query_is_decoded_as_php_does(self):
        cases = [
            ("/p?a=x+y", {"a": "x y"}), ("/p?a=%2B%26%3d%3D", {"a": "+&=="}),
            ("/p?a=%e9%C3%A9", {"a": "\xe9\xc3\xa9"}),  # bytes as latin-1, UTF-8 not combined
            ("/p?a=%00x", {"a": "\x00x"}), ("/p?a=%&b=%4&c=%4g&d=%%41", {"a": "%", "b": "%4",
                                                                       "c": "%4g", "d": "%A"}),
            ("/p", {}), ("/p?a=1&a=2", {"a": "2"}), ("/p?flag&x=", {"flag": "", "x": ""}),
            ("/p?a=x=y&&m%6fb=1", {"a": "x=y", "mob": "1"}),
        ]
        for target, query in cases:
            with self.subTest(target=target):
                self.assertEqual(gateway.parse_query(target), query)


class Server:
    """The gateway as a subprocess on a free port, with a request log."""

    def __init__(self, certs, *extra):
        self.log = os.path.join(certs, "requests%s.log" % "".join(extra))
        ready = os.path.join(certs, "port%s" % "".join(extra))
        self.proc = subprocess.Popen(
            [sys.executable, os.path.join(HERE, "gateway.py"), "--port", "0", "--cert-dir", certs,
             "--log", self.log, "--ready-file", ready, "--max-seconds", "60", *extra],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if os.path.exists(ready) and open(ready).read().strip():
                self.port = int(open(ready).read())
                return
            time.sleep(0.05)
        raise AssertionError("the gateway did not start")

    def entries(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return [json.loads(line) for line in f]

    def https(self, request, cafile):
        ctx = ssl.create_default_context(cafile=cafile)
        with socket.create_connection(("127.0.0.1", self.port), timeout=5) as raw, \
                ctx.wrap_socket(raw, server_hostname="localhost") as tls:
            tls.sendall(request)
            data = b""
            while chunk := tls.recv(65536):
                data += chunk
            return data.partition(b"\r\n\r\n")[2]


class GatewayTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.certs = tempfile.TemporaryDirectory(prefix="gateway-test-")
        subprocess.run([sys.executable, os.path.join(HERE, "make_ca.py"), cls.certs.name],
                       check=True, stdout=subprocess.DEVNULL, timeout=60)
        cls.ca = os.path.join(cls.certs.name, "ca.pem")

    @classmethod
    def tearDownClass(cls):
        cls.certs.cleanup()

    def start(self, *extra):
        server = Server(self.certs.name, *extra)
        self.addCleanup(lambda: (server.proc.terminate(), server.proc.wait(5)))
        return server

    def test_records_each_request_exactly_and_no_control_request(self):
        server = self.start()
        query = "usr=a%2Bb&pwd=p+w&mob=%2B447700&txt=Tom+%26+Jerry%3A+50%25+%2B+more"
        head = ("GET /wrenquil/index.php?%s HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Wrenquil\r\n"
                "Host: localhost:%d\r\n\r\n" % (query, server.port)).encode("latin-1")
        self.assertEqual(server.https(b"GET /control/scenario?name=fail HTTP/1.0\r\n\r\n",
                                      self.ca), b"ok")
        self.assertEqual(server.https(head, self.ca), b"0|Invalid mobile number")
        [entry] = server.entries()
        self.assertEqual(entry["raw"], head.decode("latin-1"))
        self.assertEqual(entry["headers"], [["Accept", "*/*"], ["User-Agent", "Wrenquil"],
                                            ["Host", "localhost:%d" % server.port]])
        self.assertEqual(entry["query"], {"usr": "a+b", "pwd": "p w", "mob": "+447700",
                                          "txt": "Tom & Jerry: 50% + more"})

    def test_the_untrusted_twin_is_refused_by_the_test_ca_only(self):
        server = self.start("--untrusted")
        request = b"GET /wrenquil/index.php?usr=u HTTP/1.0\r\n\r\n"
        with self.assertRaises(ssl.SSLCertVerificationError):
            server.https(request, self.ca)
        untrusted = os.path.join(self.certs.name, "untrusted.pem")
        self.assertEqual(server.https(request, untrusted), b"1|Message sent")


if __name__ == "__main__":
    unittest.main()
