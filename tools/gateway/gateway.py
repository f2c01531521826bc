#!/usr/bin/env python3
# Local HTTPS stand-in for the SMS web gateway, for tests and the demo.
#
# Listens on 127.0.0.1 only, records every request head byte for byte (JSON lines) and answers
# according to a scenario that can be changed while it runs. See README.md for the options and
# the scenarios.
import argparse
import json
import os
import signal
import socket
import socketserver
import ssl
import struct
import sys
import threading
from urllib.parse import parse_qsl

CONTROL_PATH = "/control/scenario"
MAX_HEAD = 64 * 1024      # a longer request head is dropped without an answer
IO_TIMEOUT = 10.0         # per socket operation: a stalled client cannot pin a thread
MAX_CONNECTIONS = 64      # concurrent; more are refused so threads stay bounded
RESET_BODY = "1|" + "x" * 2000  # promised in full by Content-Length, only the start is sent
RESET_SENT = 100
# Before resetting, give the client time to take in the head and the partial body: a
# client that reads ahead would otherwise meet the reset while still reading the head.
RESET_PAUSE = 0.5
SLOW_PAUSE = 2.0          # "slow": the time before the answer
FLOOD_LIMIT = 64 << 20    # "flood" gives up here, should a client read without end
TRICKLE_PAUSE = 0.25      # "trickle": one more byte this often
# The scenarios that answer with one whole reply: its status and body.
REPLIES = {"ok": ("200 OK", "1|Message sent"), "fail": ("200 OK", "0|Invalid mobile number"),
           "lines": ("200 OK", "1|Sent\r\nRef 7\r\n"), "slow": ("200 OK", "1|Message sent"),
           "redirect": ("302 Found", "1|Redirect body")}
SCENARIOS = tuple(REPLIES) + ("reset", "hang", "close", "silent", "flood", "trickle", "echo")

stop = threading.Event()


# Query values of a request target, decoded as PHP does: '+' is a blank, %XX a byte, bytes read
# as latin-1, a '%' without two hex digits stays; a repeated name keeps its last value.
def parse_query(target):
    return dict(parse_qsl(target.partition("?")[2], keep_blank_values=True, encoding="latin-1"))


# An HTTP/1.0 response; the connection is always closed after it.
def response(status, body, extra=()):
    body = body.encode("latin-1")
    lines = ["HTTP/1.0 " + status, "Content-Type: text/plain", "Content-Length: %d" % len(body),
             "Connection: close", *extra]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


# Up to the blank line: (head bytes, request target), or (None, None).
def read_head(sock):
    data = b""
    while len(data) < MAX_HEAD:
        chunk = sock.recv(4096)
        if not chunk:
            break
        data += chunk
        ends = [(data.find(e), len(e)) for e in (b"\r\n\r\n", b"\n\n") if e in data]
        if ends:
            pos, size = min(ends)  # whichever blank line comes first
            head = data[:pos + size]
            parts = head.split(b"\n", 1)[0].split(b" ")
            return head, parts[1].decode("latin-1") if len(parts) > 1 else ""
    return None, None


# Keep the connection open without answering until the client gives up.
def hold(sock):
    sock.settimeout(0.2)
    while not stop.is_set():
        try:
            if not sock.recv(4096):
                return  # the client closed
        except socket.timeout:
            continue


# A body without Content-Length that does not end until the client goes away: "flood" as fast as
# it can, "trickle" one LF at a time.
def stream(tls, scenario):
    tls.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n")
    if scenario == "flood":
        tls.sendall(b"1|")
        for _ in range(FLOOD_LIMIT // 65536):
            if stop.is_set():
                return
            tls.sendall(b"x" * 65536)
    else:
        tls.sendall(b"1|Slow reply")
        while not stop.wait(TRICKLE_PAUSE):
            tls.sendall(b"\n")


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.settimeout(IO_TIMEOUT)
        scenario = self.server.scenario  # decided before TLS: "hang" must not even handshake
        try:
            first = conn.recv(1, socket.MSG_PEEK)
            if first and first[0] != 0x16:
                # Not a TLS ClientHello: plain HTTP is taken for control requests only, so a
                # "hang" server (which never finishes TLS) can still be switched back.
                self.answer(conn, tls=False)
            elif first and scenario == "hang":
                hold(conn)
            elif first:
                with self.server.tls.wrap_socket(conn, server_side=True) as tls:
                    self.answer(tls, tls=True)
        except (OSError, ssl.SSLError):
            pass  # the client went away or spoke nonsense: nothing to answer

    def answer(self, sock, tls):
        head, target = read_head(sock)
        if head is None:
            return
        if target.partition("?")[0] == CONTROL_PATH:
            sock.sendall(self.control(target))
        elif not tls:
            sock.sendall(response("400 Bad Request", "use https\r\n"))
        else:
            raw = head.decode("latin-1")
            self.record({"request_line": raw.split("\n", 1)[0].rstrip("\r"), "raw": raw,
                         "query": parse_query(target)})
            scenario = self.server.scenario
            if scenario == "reset":
                reply = response("200 OK", RESET_BODY)
                sock.sendall(reply[:len(reply) - len(RESET_BODY) + RESET_SENT])
                stop.wait(RESET_PAUSE)
                # Linger 0 makes close() send a TCP RST instead of a FIN.
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                return
            if scenario == "silent":
                hold(sock)  # TLS done, request read: now say nothing at all
            elif scenario in ("flood", "trickle"):
                stream(sock, scenario)
            elif scenario == "echo":  # what came, for a client to check without the log
                sock.sendall(response("200 OK", raw))
            elif scenario != "close":
                stop.wait(SLOW_PAUSE if scenario == "slow" else 0)
                moved = "Location: https://localhost:%d/wrenquil/moved.php" % self.server.port
                sock.sendall(response(*REPLIES[scenario],
                                      [moved] if scenario == "redirect" else []))
        if tls:
            # close_notify, so the client sees a clean end of stream, without waiting for its
            # answer (non-blocking: the unwrap "fails" once the notify is out).
            try:
                sock.setblocking(False)
                sock.unwrap()
            except (OSError, ssl.SSLError, ValueError):
                pass

    def control(self, target):
        name = parse_query(target).get("name", "")
        if name not in SCENARIOS:
            return response("400 Bad Request", "unknown scenario: %s\r\n" % name)
        self.server.scenario = name
        return response("200 OK", "ok")

    def record(self, entry):
        with self.server.lock:
            if self.server.log:
                self.server.log.write(json.dumps(entry) + "\n")
                self.server.log.flush()  # before the answer, so a client can read it at once


class Gateway(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 16

    def verify_request(self, request, client_address):
        return threading.active_count() < MAX_CONNECTIONS + 2  # the main and serving threads


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

    if args.ready_file and os.path.exists(args.ready_file):
        os.remove(args.ready_file)  # a stale port from an earlier run must not be read
    name = "untrusted" if args.untrusted else "server"
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    tls.load_cert_chain(os.path.join(args.cert_dir, name + ".pem"),
                        os.path.join(args.cert_dir, name + ".key"))
    with Gateway(("127.0.0.1", args.port), Handler) as gateway:
        gateway.tls, gateway.scenario, gateway.lock = tls, args.scenario, threading.Lock()
        gateway.log = open(args.log, "a", encoding="utf-8") if args.log else None
        gateway.port = gateway.server_address[1]
        if args.ready_file:
            # Written then renamed, so a polling script never reads a half-written port.
            with open(args.ready_file + ".tmp", "w") as f:
                f.write("%d\n" % gateway.port)
            os.replace(args.ready_file + ".tmp", args.ready_file)
        print("gateway: https://localhost:%d/ scenario=%s" % (gateway.port, args.scenario),
              file=sys.stderr, flush=True)
        for sig in (signal.SIGTERM, signal.SIGINT):
            signal.signal(sig, lambda *_: stop.set())
        threading.Thread(target=gateway.serve_forever, args=(0.2,), daemon=True).start()
        stop.wait(args.max_seconds)
        stop.set()
        gateway.shutdown()  # every record was flushed as it was written


if __name__ == "__main__":
    main()
