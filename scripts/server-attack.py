#!/usr/bin/env python3
"""Attacks the stand-in server on loopback and reports its memory and the latency others see.

Usage: scripts/server-attack.py [path/to/vorlix-server]   (default: build/default/server/vorlix-server)

Every attack is bounded in connections, bytes and seconds and stops by itself; only 127.0.0.1 is
used. Memory is the server process's resident size (VmRSS, and VmHWM for the peak) from /proc.
"""
import gzip
import json
import os
import resource
import signal
import socket
import subprocess
import sys
import threading
import time

HOST = "127.0.0.1"
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "platform_sdk"))
from codec_reference import scramble  # noqa: E402


def rss(pid):
    out = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("VmRSS:", "VmHWM:")):
                k, v = line.split(":")
                out[k] = int(v.split()[0]) // 1024
    return out


def connect(port, timeout=5.0):
    s = socket.create_connection((HOST, port), timeout=timeout)
    return s


def exchange(port, path, content_type, body, timeout):
    """Posts the body on a connection of its own; the raw reply, read until the server closes."""
    req = (b"POST /sdkapicoupon2/%s HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: %s\r\n"
           b"Content-Length: %d\r\n\r\n" % (path.encode(), content_type.encode(), len(body))) + body
    s = connect(port, timeout=timeout)
    s.sendall(req)
    data = b""
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        data += chunk
    s.close()
    return data


def ordinary_request(port):
    """One form request as a client beside the attack would send it; seconds taken or None."""
    t = time.monotonic()
    try:
        data = exchange(port, "Sdkhome/yzm", "application/x-www-form-urlencoded", b"sj=13800001234&type=8", 10)
        if not data.startswith(b"HTTP/1.1 200"):
            return None
    except OSError:
        return None
    return time.monotonic() - t


def latencies(port, count):
    out = [ordinary_request(port) for _ in range(count)]
    ok = [x for x in out if x is not None]
    return len(ok), (max(ok) if ok else None)


def header_flood(port, total_bytes, connections, seconds):
    sent = [0]
    lock = threading.Lock()
    stop_at = time.monotonic() + seconds
    line = b"X-Flood: " + b"a" * 990 + b"\r\n"

    def worker():
        while time.monotonic() < stop_at:
            with lock:
                if sent[0] >= total_bytes:
                    return
            try:
                s = connect(port)
                s.sendall(b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n")
                while time.monotonic() < stop_at:
                    s.sendall(line * 64)
                    with lock:
                        sent[0] += len(line) * 64
                        if sent[0] >= total_bytes:
                            break
            except OSError:
                pass  # closed by the server: connect again
            finally:
                try:
                    s.close()
                except Exception:
                    pass

    threads = [threading.Thread(target=worker) for _ in range(connections)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return sent[0]


def scrambled_near(bound):
    """A scrambled login body whose text is just under bound bytes once inflated."""
    size = bound // 6
    while True:
        text = scramble(json.dumps({"z": "a" * size, "b": "pw"}).encode()).encode()
        if len(text) < bound:
            return text
        size -= size // 50


def post_scrambled(port, path, params):
    body = gzip.compress(scramble(json.dumps(params).encode()).encode())
    return exchange(port, path, "text/html", body, 30)[9:12].decode()


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else "build/default/server/vorlix-server"
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 8192), hard))
    proc = subprocess.Popen([binary], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        first = proc.stdout.readline()
        port = int(first.split("127.0.0.1:")[1].split("/")[0])
        print(f"server pid {proc.pid} port {port}; at start {rss(proc.pid)} MB")

        # 1. Header flood: 200 MB of header lines over 64 connections (at most 90 s).
        flooded = header_flood(port, 200 << 20, 64, 90)
        print(f"header flood: {flooded >> 20} MB sent; after {rss(proc.pid)} MB; "
              f"others served {latencies(port, 10)}")

        # 2. 1000 idle and 300 trickling connections; others ask meanwhile.
        idle = [connect(port) for _ in range(1000)]
        trickle = [connect(port) for _ in range(300)]
        stop = threading.Event()

        def trickler():
            text = b"POST /sdkapicoupon2/login/dologin HTTP/1.1\r\nHost: 127.0.0.1\r\n" + b"X-Slow: " + b"s" * 4000
            i = 0
            while not stop.is_set() and i < len(text):
                for s in trickle:
                    try:
                        s.send(text[i:i + 1])
                    except OSError:
                        pass
                i += 1
                stop.wait(0.5)

        t = threading.Thread(target=trickler)
        t.start()
        time.sleep(1.0)
        served, worst = latencies(port, 30)
        print(f"beside 1000 idle + 300 trickling: {served}/30 served, slowest {worst and round(worst, 3)} s; "
              f"memory {rss(proc.pid)} MB")
        # The whole-request deadline (10 s) ends them; wait it out and look again.
        time.sleep(11.0)
        alive = 0
        for s in idle + trickle:
            s.setblocking(False)
            try:
                alive += 1 if s.recv(1) != b"" else 0
            except BlockingIOError:
                alive += 1
            except OSError:
                pass
        print(f"after the deadline: {alive} of 1300 still open")
        stop.set()
        t.join()
        for s in idle + trickle:
            s.close()

        # 3. 128 scrambled bodies near the decoded bound, in flight at once.
        text = scrambled_near(4 << 20)
        body = gzip.compress(text)
        head = (b"POST /sdkapicoupon2/login/dologin HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/html\r\n"
                b"Content-Length: %d\r\n\r\n" % len(body))
        socks = []
        for _ in range(128):
            s = connect(port, timeout=30)
            s.sendall(head + body[:-1])
            socks.append(s)
        time.sleep(0.5)
        during = rss(proc.pid)
        for s in socks:
            s.sendall(body[-1:])
        codes = {}
        for s in socks:
            try:
                status = s.recv(12)[9:12].decode()
            except OSError:
                status = "error"
            codes[status] = codes.get(status, 0) + 1
            s.close()
        print(f"128 scrambled bodies of {len(body)} bytes ({len(text) >> 20} MB decoded): in flight {during} MB; "
              f"answers {codes}; after {rss(proc.pid)} MB")

        # 4. Role reports: 300 of 33 kB each, then 300 small ones.
        before = rss(proc.pid)
        big = {"z": "player01", "b": "1001", "c": "r1", "d": "r" * (33 << 10)}
        statuses = [post_scrambled(port, "User/setRole", big) for _ in range(300)]
        statuses += [post_scrambled(port, "User/setRole", {"z": "player01", "b": str(i)}) for i in range(300)]
        print(f"600 role reports ({len(statuses)} answered {set(statuses)}): {before} MB before, {rss(proc.pid)} MB after")

        # 5. Stopping beside slow clients.
        slow = [connect(port) for _ in range(300)]
        for s in slow:
            s.send(b"POST /sdkapicoupon2/login/dologin HTTP/1.1\r\n")
        peak = rss(proc.pid)
        t0 = time.monotonic()
        proc.send_signal(signal.SIGTERM)
        proc.wait(timeout=60)
        print(f"stop beside 300 slow clients: {round(time.monotonic() - t0, 3)} s; peak over the run {peak['VmHWM']} MB")
        for s in slow:
            s.close()
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


if __name__ == "__main__":
    main()
