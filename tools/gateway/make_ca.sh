#!/usr/bin/env bash
# make_ca.sh OUTDIR: the local gateway's certificates (see README.md), made with openssl where
# missing and reused where present, so a Wine prefix that imported trust-ca.reg keeps trusting
# the CA. A new CA gets a new server certificate too, so the pair always matches.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: make_ca.sh OUTDIR" >&2; exit 2; }
mkdir -p "$1"
cd "$1"
# Two test runs may share OUTDIR: the lock keeps each key with its certificate.
exec 8>.lock
flock 8

# A config of our own: the system's openssl.cnf may add extensions.
cnf=$(mktemp)
trap 'rm -f "$cnf" ca.der.new trust-ca.reg.new' EXIT
cat >"$cnf" <<'EOF'
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
EOF
# certificate NAME SUBJECT EXTENSIONS [-CA ca.pem -CAkey ca.key]: a new key (readable by its
# owner alone) and its certificate, self-signed unless a CA is given; the serial is random.
certificate() {
  local err
  err=$(openssl req -config "$cnf" -x509 -new -newkey rsa:2048 -noenc -sha256 -days 3650 \
    -keyout "$1.key" -subj "$2" -extensions "$3" "${@:4}" -out "$1.pem" 2>&1) ||
    { echo "make_ca: $1.pem: $err" | grep -v '^[.+*-]*$' >&2; return 1; }
}

new_ca=""
if [ ! -e ca.key ] || [ ! -e ca.pem ]; then
  certificate ca "/O=Wrenquil Test/CN=Wrenquil Test CA" v3_ca
  new_ca=1
fi
if [ -n "$new_ca" ] || [ ! -e server.key ] || [ ! -e server.pem ]; then
  certificate server "/O=Wrenquil Test/CN=localhost" v3_server -CA ca.pem -CAkey ca.key
fi
[ -e untrusted.key ] && [ -e untrusted.pem ] ||
  certificate untrusted "/O=Nobody/CN=localhost" v3_server

# What makes a Wine prefix trust the CA: its crypt32 reads a Blob of properties, each a
# little-endian id, flags (1), length and data: 3 the SHA-1, 0x20 the certificate. The key is
# named after the SHA-1, and the Blob is wrapped as regedit exports it.
openssl x509 -in ca.pem -outform DER -out ca.der.new
sha1=$(sha1sum ca.der.new | cut -c1-40)
dwords() { for n; do printf "%08x" "$n" | sed -E 's/(..)(..)(..)(..)/\4\3\2\1/'; done; }
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[%s\\%s]\r\n' 'HKEY_CURRENT_USER\Software\Microsoft\SystemCertificates\Root\Certificates' \
    "${sha1^^}"
  {
    dwords 3 1 20 && echo "$sha1"
    dwords 32 1 "$(stat -c %s ca.der.new)" && od -An -v -tx1 ca.der.new
  } | tr -d ' \n' | sed -E 's/../&,/g; s/,$//' |
    awk '{ line = "\"Blob\"=hex:"; n = split($0, b, ",")
           for (i = 1; i <= n; i++) {
             piece = b[i] (i < n ? "," : "")
             if (length(line) + length(piece) > 77) { printf "%s\\\r\n", line; line = "  " }
             line = line piece }
           printf "%s\r\n\r\n", line }'
} >trust-ca.reg.new
# Rewritten only when they differ, so their times say when the CA changed.
for file in ca.der trust-ca.reg; do
  cmp -s "$file.new" "$file" 2>/dev/null || mv "$file.new" "$file"
done
