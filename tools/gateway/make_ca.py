#!/usr/bin/env python3
"""Create the test certificates for the local gateway (idempotent).

Usage: make_ca.py OUTDIR

OUTDIR receives:
  ca.key, ca.pem, ca.der        test CA (RSA 2048, 3650 days)
  server.key, server.pem        "localhost" server certificate signed by the CA
  untrusted.key, untrusted.pem  self-signed "localhost" certificate nobody trusts
  trust-ca.reg                  REGEDIT4 file making a Wine prefix trust the CA

Files that already exist are reused, so a Wine prefix that imported trust-ca.reg
keeps working across runs. If the CA has to be (re)created, the server
certificate is re-issued too, so the pair always matches.
"""
import fcntl
import hashlib
import os
import struct
import subprocess
import sys
import tempfile

DAYS = "3650"

# A self-contained config: the system openssl.cnf may add extensions of its own.
OPENSSL_CNF = """\
[req]
distinguished_name = dn
prompt = no
[dn]
[v3_ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[v3_server]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
# DNS only: Wine ignores IP SANs, so clients must connect to "localhost".
subjectAltName = DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid:always
"""

REG_KEY = r"HKEY_CURRENT_USER\Software\Microsoft\SystemCertificates\Root\Certificates"


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def new_key(name, cwd):
    openssl("genrsa", "-out", name, "2048", cwd=cwd)
    os.chmod(os.path.join(cwd, name), 0o600)


def make_ca(out, cnf):
    new_key("ca.key", out)
    openssl("req", "-config", cnf, "-new", "-x509", "-sha256", "-days", DAYS,
            "-key", "ca.key", "-subj", "/O=Wrenquil Test/CN=Wrenquil Test CA",
            "-extensions", "v3_ca", "-out", "ca.pem", cwd=out)


def make_server(out, cnf):
    new_key("server.key", out)
    csr = os.path.join(out, "server.csr")
    openssl("req", "-config", cnf, "-new", "-key", "server.key",
            "-subj", "/O=Wrenquil Test/CN=localhost", "-out", "server.csr", cwd=out)
    # A random serial avoids the ca.srl bookkeeping file.
    serial = "0x" + os.urandom(16).hex()
    openssl("x509", "-req", "-sha256", "-days", DAYS, "-in", "server.csr",
            "-CA", "ca.pem", "-CAkey", "ca.key", "-set_serial", serial,
            "-extfile", cnf, "-extensions", "v3_server", "-out", "server.pem", cwd=out)
    os.remove(csr)


def make_untrusted(out, cnf):
    new_key("untrusted.key", out)
    openssl("req", "-config", cnf, "-new", "-x509", "-sha256", "-days", DAYS,
            "-key", "untrusted.key", "-subj", "/O=Nobody/CN=localhost",
            "-extensions", "v3_server", "-out", "untrusted.pem", cwd=out)


def reg_hex_lines(prefix, data):
    """Format REG_BINARY data the way regedit exports it (wrapped with a trailing backslash)."""
    items = ["%02x" % b for b in data]
    lines, line = [], prefix
    for i, item in enumerate(items):
        piece = item + ("," if i < len(items) - 1 else "")
        if len(line) + len(piece) > 77:
            lines.append(line + "\\")
            line = "  "
        line += piece
    lines.append(line)
    return lines


def trust_reg(der):
    sha1 = hashlib.sha1(der).digest()
    # Property 3 (SHA-1 hash) then property 0x20 (the encoded certificate), each as
    # little-endian id, flags (1), length, data: the layout Wine's crypt32 reads.
    blob = (struct.pack("<III", 3, 1, len(sha1)) + sha1
            + struct.pack("<III", 0x20, 1, len(der)) + der)
    lines = ["REGEDIT4", "", "[%s\\%s]" % (REG_KEY, sha1.hex().upper())]
    lines += reg_hex_lines('"Blob"=hex:', blob)
    return "\r\n".join(lines + ["", ""])


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_ca.py OUTDIR")
    out = os.path.abspath(argv[1])
    os.makedirs(out, exist_ok=True)
    have = lambda *names: all(os.path.exists(os.path.join(out, n)) for n in names)

    # Two test runs may share OUTDIR: the lock keeps key and certificate pairs consistent.
    with open(os.path.join(out, ".lock"), "w") as lock, \
            tempfile.NamedTemporaryFile("w", suffix=".cnf") as cnf:
        fcntl.flock(lock, fcntl.LOCK_EX)
        cnf.write(OPENSSL_CNF)
        cnf.flush()
        new_ca = not have("ca.key", "ca.pem")
        if new_ca:
            make_ca(out, cnf.name)
        if new_ca or not have("server.key", "server.pem"):
            make_server(out, cnf.name)
        if not have("untrusted.key", "untrusted.pem"):
            make_untrusted(out, cnf.name)
        # Derived files are rewritten only when their content differs.
        der = subprocess.run(["openssl", "x509", "-in", "ca.pem", "-outform", "DER"],
                             cwd=out, check=True, stdout=subprocess.PIPE).stdout
        write_if_changed(os.path.join(out, "ca.der"), der)
        write_if_changed(os.path.join(out, "trust-ca.reg"), trust_reg(der).encode("ascii"))
    print(out)


if __name__ == "__main__":
    try:
        main(sys.argv)
    except subprocess.CalledProcessError as e:
        sys.exit("make_ca: %s failed: %s" % (" ".join(e.cmd[:2]), (e.stderr or b"").decode().strip()))
