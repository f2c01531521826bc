# What the tests trust make_ca.sh for: runs that start together make one CA that signed the
# gateway's certificate; a later run keeps every file, so a Wine prefix that imported the CA
# keeps trusting it; trust-ca.reg holds that CA as the prefix's crypt32 reads it.
#
# Run: python3 -m unittest discover -s tools/gateway -p 'test_*.py'
import hashlib, pathlib, re, struct, subprocess, tempfile, unittest  # noqa: E401

MAKE_CA = pathlib.Path(__file__).resolve().parent / "make_ca.sh"
FILES = ["ca.der", "ca.key", "ca.pem", "server.key", "server.pem", "trust-ca.reg",
         "untrusted.key", "untrusted.pem"]


def openssl(*args):
    return subprocess.run(["openssl", *args], capture_output=True, text=True)


class MakeCaTest(unittest.TestCase):
    def test_runs_at_once_make_one_ca_that_a_later_run_keeps_and_the_trust_file_holds(self):
        out = pathlib.Path(self.enterContext(tempfile.TemporaryDirectory(prefix="make-ca-")))
        runs = [subprocess.Popen([MAKE_CA, out]) for _ in range(2)]
        self.assertEqual([run.wait(60) for run in runs], [0, 0])
        made = {name: (out / name).read_bytes() for name in FILES}
        ca = str(out / "ca.pem")
        self.assertEqual([openssl("verify", "-CAfile", ca, str(out / name)).returncode
                          for name in ("server.pem", "untrusted.pem")], [0, 2])
        self.assertEqual(openssl("x509", "-in", str(out / "server.pem"), "-noout", "-ext",
                                 "subjectAltName").stdout.split(), ["X509v3", "Subject",
                                                                    "Alternative", "Name:",
                                                                    "DNS:localhost"])
        subprocess.run([MAKE_CA, out], check=True, timeout=60)
        self.assertEqual({name: (out / name).read_bytes() for name in FILES}, made)

        der = made["ca.der"]
        self.assertEqual(der, subprocess.run(["openssl", "x509", "-in", ca, "-outform", "DER"],
                                             capture_output=True, check=True).stdout)
        sha1 = hashlib.sha1(der)
        header, blob = made["trust-ca.reg"].decode("ascii").split('"Blob"=hex:')
        self.assertEqual(header, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\"
                         "SystemCertificates\\Root\\Certificates\\%s]\r\n"
                         % sha1.hexdigest().upper())
        # regedit's wrapping: a backslash ends each line but the last, and the text ends with
        # a blank line.
        self.assertTrue(blob.endswith("\r\n\r\n"))
        lines = blob[:-4].split("\r\n")
        self.assertEqual([len(line) <= 78 and line.endswith("\\") for line in lines],
                         [True] * (len(lines) - 1) + [False])
        data = bytes.fromhex(re.sub(r"[,\\\s]", "", blob))
        self.assertEqual(data, struct.pack("<III", 3, 1, 20) + sha1.digest() +
                         struct.pack("<III", 0x20, 1, len(der)) + der)
