#!/usr/bin/env python3
"""Local HTTPS stand-in for the SMS web gateway, for tests and the demo.

Listens on 127.0.0.1 only, records every request head byte for byte (JSON lines)
and answers according to a scenario that can be changed while it runs.
See README.md for the options and the scenarios.
"""
import argparse
import json
import os
import signal
import socket
import ssl
import struct
import sys
import threading
import time

SCENARIOS = ("ok", "fail", "html500", "redirect", "big", "lines", "reset", "hang", "close",
             "silent", "slow", "flood", "trickle", "echo")
CONTROL_PATH = "/control/scenario"
MAX_HEAD = 64 * 1024      # a longer request head is dropped without an answer
IO_TIMEOUT = 10.0         # per socket operation: a stalled client cannot pin a thread
MAX_CONNECTIONS = 64      # concurrent; more are refused so threads stay bounded
TLS_HANDSHAKE = 0x16      # first byte of a TLS ClientHello record

HTML_500 = ("<!DOCTYPE html>\r\n<html>\r\n<head><title>500 Internal Server Error</title></head>\r\n"
            "<body>\r\n<h1>Internal Server Error</h1>\r\n"
            "<p>The server encountered an internal error.</p>\r\n</body>\r\n</html>\r\n")
# 50 lines of 98 characters + CR LF = 5000 bytes: more than a 4096-byte read buffer.
BIG_BODY = "1|" + "".join("%03d " % i + ("ABCDEFGHIJKLMNOPQRSTUVWXYZ" * 4)[:94] + "\r\n"
                          for i in range(50))
RESET_BODY = "1|" + "x" * 2000  # promised in full by Content-Length, only the start is sent
RESET_SENT = 100
# Before resetting, give the client time to take in the head and the partial body: a
# client that reads ahead would otherwise meet the reset while still reading the head.
RESET_PAUSE = 0.5
SLOW_PAUSE = 2.0          # "slow": the time before the answer
FLOOD_LIMIT = 64 << 20    # "flood" gives up here, should a client read without end
TRICKLE_PAUSE = 0.25      # "trickle": one more byte this often


def php_urldecode(text):
    """Decode like PHP's urldecode: '+' is a blank, %XX a byte, bytes read as latin-1.
    A '%' not followed by two hex digits stays as it is."""
    data = text.encode("latin-1", "replace")
    out = bytearray()
    i = 0
    while i < len(data):
        c = data[i]
        if c == 0x2B:  # '+'
            out.append(0x20)
        elif c == 0x25 and _is_hex(data[i + 1:i + 3]):
            out.append(int(data[i + 1:i + 3], 16))
            i += 2
        else:
            out.append(c)
        i += 1
    return out.decode("latin-1")


def _is_hex(two):
    return len(two) == 2 and all(chr(b) in "0123456789abcdefABCDEF" for b in two)


def parse_query(target):
    """Query values of a request target; a repeated name keeps its last value, as PHP does."""
    query = {}
    if "?" not in target:
        return query
    for part in target.split("?", 1)[1].split("&"):
        if part:
            name, _, value = part.partition("=")
            query[php_urldecode(name)] = php_urldecode(value)
    return query


def parse_head(head):
    """Split a request head (bytes up to and including the blank line) into its parts."""
    text = head.decode("latin-1")
    lines = text.split("\n")
    lines = [l[:-1] if l.endswith("\r") else l for l in lines]
    request_line = lines[0]
    headers = []
    for line in lines[1:]:
        if line:
            name, _, value = line.partition(":")
            headers.append([name, value.strip(" \t")])
    parts = request_line.split(" ")
    target = parts[1] if len(parts) > 1 else ""
    return {"request_line": request_line, "headers": headers, "raw": text,
            "query": parse_query(target)}


def response(status, body, content_type="text/plain", extra=()):
    """An HTTP/1.0 response; the connection is always closed after it."""
    body = body.encode("latin-1")
    lines = ["HTTP/1.0 " + status, "Content-Type: " + content_type,
             "Content-Length: %d" % len(body), "Connection: close", *extra]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


class Gateway:
    def __init__(self, args):
        self.args = args
        self.scenario = args.scenario
        self.lock = threading.Lock()
        self.stop = threading.Event()
        self.deadline = time.monotonic() + args.max_seconds
        self.slots = threading.BoundedSemaphore(MAX_CONNECTIONS)
        self.log = open(args.log, "a", encoding="utf-8") if args.log else None
        cert_dir = args.cert_dir
        name = "untrusted" if args.untrusted else "server"
        self.tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.tls.load_cert_chain(os.path.join(cert_dir, name + ".pem"),
                                 os.path.join(cert_dir, name + ".key"))
        self.port = 0

    def running(self):
        return not self.stop.is_set() and time.monotonic() < self.deadline

    # ---- accept loop -------------------------------------------------------------------------

    def serve(self):
        if self.args.ready_file and os.path.exists(self.args.ready_file):
            os.remove(self.args.ready_file)  # a stale port from an earlier run must not be read
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as listener:
            listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            listener.bind(("127.0.0.1", self.args.port))
            listener.listen(16)
            listener.settimeout(0.2)  # wake up regularly to notice a stop request
            self.port = listener.getsockname()[1]
            self.write_ready_file()
            print("gateway: https://localhost:%d/ scenario=%s" % (self.port, self.scenario),
                  file=sys.stderr, flush=True)
            while self.running():
                try:
                    conn, _ = listener.accept()
                except socket.timeout:
                    continue
                except OSError:
                    if self.running():
                        raise
                    break
                if not self.slots.acquire(blocking=False):
                    conn.close()
                    continue
                threading.Thread(target=self.handle, args=(conn,), daemon=True).start()
        if self.log:
            with self.lock:
                self.log.close()
                self.log = None

    def write_ready_file(self):
        if not self.args.ready_file:
            return
        # Write then rename, so a polling script never reads a half-written port.
        tmp = self.args.ready_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % self.port)
        os.replace(tmp, self.args.ready_file)

    # ---- one connection ----------------------------------------------------------------------

    def handle(self, conn):
        try:
            conn.settimeout(IO_TIMEOUT)
            with self.lock:
                scenario = self.scenario  # decided before TLS: "hang" must not even handshake
            first = conn.recv(1, socket.MSG_PEEK)
            if not first:
                return
            if first[0] != TLS_HANDSHAKE:
                # Plain HTTP is accepted for control requests only, so a "hang" server
                # (which never finishes TLS) can still be switched back.
                self.handle_plain(conn)
            elif scenario == "hang":
                self.hold(conn)
            else:
                self.handle_tls(conn)
        except (OSError, ssl.SSLError):
            pass  # the client went away or spoke nonsense: nothing to answer
        finally:
            conn.close()
            self.slots.release()

    def hold(self, conn):
        """Keep the connection open without answering until the client gives up."""
        conn.settimeout(0.2)
        while self.running():
            try:
                if not conn.recv(4096):
                    return  # the client closed
            except socket.timeout:
                continue

    def handle_plain(self, conn):
        head, target = self.read_head(conn)
        if head is None:
            return
        if target.split("?", 1)[0] == CONTROL_PATH:
            conn.sendall(self.control(target))
        else:
            conn.sendall(response("400 Bad Request", "use https\r\n"))

    def handle_tls(self, conn):
        tls = self.tls.wrap_socket(conn, server_side=True)
        try:
            head, target = self.read_head(tls)
            if head is None:
                return
            if target.split("?", 1)[0] == CONTROL_PATH:
                tls.sendall(self.control(target))
                return self.close_tls(tls)
            self.record(parse_head(head))
            with self.lock:
                scenario = self.scenario
            if scenario == "reset":
                reply = response("200 OK", RESET_BODY)
                tls.sendall(reply[:len(reply) - len(RESET_BODY) + RESET_SENT])
                self.stop.wait(RESET_PAUSE)
                # Linger 0 makes close() send a TCP RST instead of a FIN.
                tls.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                return
            if scenario == "silent":
                self.hold(tls)  # TLS done, request read: now say nothing at all
            elif scenario in ("flood", "trickle"):
                self.stream(tls, scenario)
            elif scenario != "close":
                tls.sendall(self.reply(scenario, head))
            self.close_tls(tls)
        finally:
            tls.close()

    def stream(self, tls, scenario):
        """A body without Content-Length that does not end until the client goes away:
        "flood" as fast as it can, "trickle" one LF at a time."""
        tls.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n")
        if scenario == "flood":
            tls.sendall(b"1|")
            chunk = b"x" * 65536
            for _ in range(FLOOD_LIMIT // len(chunk)):
                if not self.running():
                    return
                tls.sendall(chunk)
        else:
            tls.sendall(b"1|Slow reply")
            while self.running() and not self.stop.wait(TRICKLE_PAUSE):
                tls.sendall(b"\n")

    def read_head(self, sock):
        """Read up to the blank line. Returns (head bytes, request target) or (None, None)."""
        data = b""
        while len(data) < MAX_HEAD:
            chunk = sock.recv(4096)
            if not chunk:
                return None, None
            data += chunk
            ends = [(data.find(e), len(e)) for e in (b"\r\n\r\n", b"\n\n") if e in data]
            if ends:
                pos, size = min(ends)  # whichever blank line comes first
                head = data[:pos + size]
                parts = head.split(b"\n", 1)[0].split(b" ")
                target = parts[1].decode("latin-1") if len(parts) > 1 else ""
                return head, target
        return None, None

    def close_tls(self, tls):
        # Send close_notify so the client sees a clean end of stream, without waiting for
        # its answer (non-blocking: the unwrap "fails" once the notify is out).
        try:
            tls.setblocking(False)
            tls.unwrap()
        except (OSError, ssl.SSLError, ValueError):
            pass

    def control(self, target):
        name = parse_query(target).get("name", "")
        if name not in SCENARIOS:
            return response("400 Bad Request", "unknown scenario: %s\r\n" % name)
        with self.lock:
            self.scenario = name
        return response("200 OK", "ok")

    def record(self, entry):
        if not self.log:
            return
        with self.lock:
            if self.log:
                self.log.write(json.dumps(entry) + "\n")
                self.log.flush()  # written before the answer, so a client can read it at once

    def reply(self, scenario, head):
        if scenario == "echo":  # what came, for a client to check without reading the log
            return response("200 OK", head.decode("latin-1"))
        if scenario == "ok":
            return response("200 OK", "1|Message sent")
        if scenario == "fail":
            return response("200 OK", "0|Invalid mobile number")
        if scenario == "html500":
            return response("500 Internal Server Error", HTML_500, "text/html")
        if scenario == "redirect":
            location = "https://localhost:%d/wrenquil/moved.php" % self.port
            return response("302 Found", "1|Redirect body", extra=["Location: " + location])
        if scenario == "big":
            return response("200 OK", BIG_BODY)
        if scenario == "lines":
            return response("200 OK", "1|Sent\r\nRef 7\r\n")
        if scenario == "slow":
            self.stop.wait(SLOW_PAUSE)
            return response("200 OK", "1|Message sent")
        raise ValueError(scenario)


def main(argv=None):
    p = argparse.ArgumentParser(description="Local HTTPS gateway for tests (127.0.0.1 only).")
    p.add_argument("--port", type=int, default=0, help="port to listen on (0 = any free one)")
    p.add_argument("--cert-dir", required=True, help="directory written by make_ca.sh")
    p.add_argument("--untrusted", action="store_true", help="serve the self-signed certificate")
    p.add_argument("--scenario", default="ok", choices=SCENARIOS)
    p.add_argument("--log", help="append one JSON line per request to this file")
    p.add_argument("--ready-file", help="write the listening port here once ready")
    p.add_argument("--max-seconds", type=float, default=600, help="stop after this long")
    args = p.parse_args(argv)

    gateway = Gateway(args)
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: gateway.stop.set())
    gateway.serve()


if __name__ == "__main__":
    main()
