#!/usr/bin/env python3
# What the program's tests trust the local gateway for: it records and echoes each request
# exactly as it came, decodes its query as the real gateway does, and records no control request.
# A fault here would hide one of the program's.
#
# Run: python3 -m unittest discover -s tools/gateway -p 'test_*.py'
import json
import os
import socket
import ssl
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))


class GatewayTest(unittest.TestCase):
    def test_records_and_echoes_each_request_exactly_and_no_control_request(self):
        certs = self.enterContext(tempfile.TemporaryDirectory(prefix="gateway-test-"))
        subprocess.run([os.path.join(HERE, "make_ca.sh"), certs],
                       check=True, stdout=subprocess.DEVNULL, timeout=60)
        log = os.path.join(certs, "requests.log")
        proc = subprocess.Popen([sys.executable, os.path.join(HERE, "gateway.py"), "--port", "0",
                                 "--cert-dir", certs, "--log", log, "--max-seconds", "60"],
                                stderr=subprocess.PIPE, text=True)
        self.addCleanup(lambda: (proc.terminate(), proc.wait(5), proc.stderr.close()))
        # It says where it listens once it does: "gateway: https://localhost:PORT/ ...".
        port = int(proc.stderr.readline().split("localhost:")[1].split("/")[0])
        tls = ssl.create_default_context(cafile=os.path.join(certs, "ca.pem"))

        def https(request):
            with tls.wrap_socket(socket.create_connection(("127.0.0.1", port), timeout=5),
                                 server_hostname="localhost") as conn:
                conn.sendall(request)
                return b"".join(iter(lambda: conn.recv(65536), b"")).partition(b"\r\n\r\n")[2]

        query = "usr=a%2Bb&pwd=p+w&mob=%2B447700&txt=Tom+%26+Jerry%3A+50%25"
        head = ("GET /wrenquil/index.php?%s HTTP/1.0\r\nAccept: */*\r\nUser-Agent: Wrenquil\r\n"
                "Host: localhost:%d\r\n\r\n" % (query, port)).encode("latin-1")
        self.assertEqual(https(b"GET /control/scenario?name=echo HTTP/1.0\r\n\r\n"), b"ok")
        self.assertEqual(https(head), head)
        with open(log) as f:
            [entry] = [json.loads(line) for line in f]
        self.assertEqual(entry["raw"], head.decode("latin-1"))
        self.assertEqual(entry["query"], {"usr": "a+b", "pwd": "p w", "mob": "+447700",
                                          "txt": "Tom & Jerry: 50%"})
