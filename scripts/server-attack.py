#!/usr/bin/env python3
"""Attacks the stand-in server on loopback and reports its memory and the latency others see.

Usage: scripts/server-attack.py [path/to/vorlix-server [attack,attack...]]
  (default: build/default/server/vorlix-server, every attack: headers, idle, bodies, roles,
  starvation, lock, amplification, registrations; stopping beside slow clients always comes last)

Every attack is bounded in connections, bytes and seconds and stops by itself; only loopback is
used. The server listens on 127.0.0.1; attackers connect from other loopback addresses (127.0.0.2,
127.0.x.y) so that limits per client address can be told from the ordinary clients on 127.0.0.1.
Memory is the server process's resident size (VmRSS, and VmHWM for the peak) from /proc.
"""
import base64
import gzip
import json
import os
import re
import resource
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import zlib

HOST = "127.0.0.1"
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "platform_sdk"))
from codec_reference import KEY, scramble  # noqa: E402

ATTACKER = "127.0.0.2"


def rss(pid):
    out = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("VmRSS:", "VmHWM:")):
                k, v = line.split(":")
                out[k] = int(v.split()[0]) // 1024
    return out


def connect(port, timeout=5.0, source=None):
    s = socket.create_connection((HOST, port), timeout=timeout, source_address=(source, 0) if source else None)
    return s


def exchange(port, path, content_type, body, timeout, source=None, headers=b""):
    """Posts the body on a connection of its own; the raw reply, read until the server closes."""
    req = (b"POST /sdkapicoupon2/%s HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: %s\r\n%s"
           b"Content-Length: %d\r\n\r\n" % (path.encode(), content_type.encode(), headers, len(body))) + body
    s = connect(port, timeout=timeout, source=source)
    try:
        s.sendall(req)
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
    finally:
        s.close()
    return data


def unscramble(reply_body):
    """The JSON of a scrambled reply (gzip of the "x<n>_<n>…y" text); None when it does not decode."""
    try:
        text = gzip.decompress(reply_body).decode()[1:-1]
        chars = "".join(chr(int(n) - ord(KEY[i % 64])) for i, n in enumerate(text.split("_")))
        return json.loads(base64.b64decode(chars.replace("\r\n", "")))
    except (OSError, ValueError, UnicodeDecodeError):
        return None


def call(port, path, params, source=None, cookie=None, timeout=30):
    """A scrambled request as the SDK sends it: (status, decoded reply or None, Set-Cookie value or None)."""
    body = gzip.compress(scramble(json.dumps(params).encode()).encode())
    headers = b"Cookie: %s\r\n" % cookie.encode() if cookie else b""
    data = exchange(port, path, "text/html", body, timeout, source=source, headers=headers)
    head, _, payload = data.partition(b"\r\n\r\n")
    status = head[9:12].decode() or "none"
    found = re.search(rb"(?im)^set-cookie:\s*([^;\r\n]*)", head)
    return status, unscramble(payload) if status == "200" else None, found and found.group(1).decode()


def form(port, path, text, source=None, cookie=None, timeout=30):
    """A form request: (status, JSON reply or None)."""
    headers = b"Cookie: %s\r\n" % cookie.encode() if cookie else b""
    data = exchange(port, path, "application/x-www-form-urlencoded", text.encode(), timeout, source=source,
                    headers=headers)
    head, _, payload = data.partition(b"\r\n\r\n")
    try:
        return head[9:12].decode() or "none", json.loads(payload)
    except ValueError:
        return head[9:12].decode() or "none", None


def ordinary_request(port):
    """One password login as a player beside the attack would send it; seconds taken or None."""
    t = time.monotonic()
    try:
        status, reply, _ = call(port, "login/dologin", {"z": "probe01", "b": "probe123"}, timeout=10)
        if status != "200":
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


def starvation(port, connections, inflated, source):
    """Connections from `source` that each send a few kB of gzip inflating to `inflated` bytes of a
    form and then trickle more of it, one small piece every 0.5 s; 30 ordinary logins meanwhile.
    Eighty more inflating to 256 bytes each fill what a budget shared by all might have left.
    Returns (probes served, slowest probe, what the attackers' connections were answered)."""
    head = (b"POST /sdkapicoupon2/Sdkcomments/commit HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            b"Content-Type: application/x-www-form-urlencoded\r\nContent-Encoding: gzip\r\n"
            b"Content-Length: %d\r\n\r\n" % (1 << 20))
    socks, packers, sent = [], [], 0
    for k in range(connections + 80):
        packer = zlib.compressobj(9, zlib.DEFLATED, 31)
        size = inflated if k < connections else 256
        piece = packer.compress(b"username=x&content=" + b"a" * size) + packer.flush(zlib.Z_SYNC_FLUSH)
        try:
            s = connect(port, timeout=30, source=source)
            s.sendall(head + piece)
        except OSError:
            continue
        sent += len(head) + len(piece) if k < connections else 0
        socks.append(s)
        packers.append(packer)
    stop = threading.Event()

    def trickle():
        while not stop.wait(0.5):
            for s, packer in zip(socks, packers):
                try:
                    s.send(packer.compress(b"a") + packer.flush(zlib.Z_SYNC_FLUSH))
                except OSError:
                    pass

    t = threading.Thread(target=trickle)
    t.start()
    time.sleep(1.0)
    served, worst = latencies(port, 30)
    stop.set()
    t.join()
    answers = {}
    for s in socks:
        s.setblocking(False)
        try:
            status = s.recv(12)[9:12].decode() or "closed"
        except BlockingIOError:
            status = "waiting"
        except OSError:
            status = "reset"
        answers[status] = answers.get(status, 0) + 1
        s.close()
    return served, worst, answers, sent


def run_starvation(port, pid):
    for connections, inflated in ((20, (4 << 20) - (64 << 10)), (300, 60 << 10)):
        served, worst, answers, sent = starvation(port, connections, inflated, ATTACKER)
        print(f"starvation: {connections} connections from {ATTACKER}, {sent // max(1, connections)} bytes sent "
              f"each, inflating to {inflated >> 10} KiB, then trickling: probes {served}/30 served, slowest "
              f"{worst and round(worst, 3)} s; attackers answered {answers}; memory {rss(pid)} MB")


def run_lock(port, pid, log_path):
    lock_attack(port, log_path)
    print(f"  memory after the code floods {rss(pid)} MB")


def sms_code(log_path, phone):
    """The last code the server logged for the phone."""
    with open(log_path, errors="replace") as f:
        found = re.findall(r"SMS code for %s: (\d+)" % phone, f.read())
    return found[-1] if found else None


def phone_login(port, log_path, phone, source=None):
    """Asks a login code for the phone and logs in with it: (the code reply's "b", the login's "z")."""
    _, sent = form(port, "Sdkhome/yzm", "sj=%s&type=8" % phone, source=source)
    code = sms_code(log_path, phone) if sent and sent.get("a") == 1 else None
    if not code:
        return sent and sent.get("b"), None
    _, reply, _ = call(port, "Login/telregister", {"z": phone, "i": code}, source=source)
    return sent.get("b"), reply and reply.get("z")


def in_threads(workers, work):
    """Runs work(0) .. work(workers - 1) on threads of their own; the seconds until all are done."""
    t0 = time.monotonic()
    threads = [threading.Thread(target=work, args=(k,)) for k in range(workers)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return round(time.monotonic() - t0, 1)


def code_flood(port, phones, wrong_tries, sources, workers=16):
    """Each phone is sent a login code and then wrong guesses, its source taken from `sources` in
    turn; (requests, seconds, how the code requests were answered)."""
    answers = {}
    lock = threading.Lock()
    count = [0]

    def work(k):
        for i in range(k, len(phones), workers):
            source = sources[i % len(sources)]
            try:
                _, sent = form(port, "Sdkhome/yzm", "sj=%s&type=8" % phones[i], source=source)
                text = sent.get("b") if sent else "no reply"
                for _ in range(wrong_tries if sent and sent.get("a") == 1 else 0):
                    call(port, "Login/telregister", {"z": phones[i], "i": "000000"}, source=source)
                    with lock:
                        count[0] += 1
            except OSError:
                text = "connection error"
            with lock:
                answers[text] = answers.get(text, 0) + 1
                count[0] += 1

    seconds = in_threads(workers, work)
    return count[0], seconds, answers


def lock_attack(port, log_path):
    honest = "13912345001"
    # An honest phone asks for its code before the flood and types it after.
    form(port, "Sdkhome/yzm", "sj=%s&type=8" % honest)
    code = sms_code(log_path, honest)
    phones = ["135%08d" % i for i in range(10000)]
    requests, seconds, answers = code_flood(port, phones, 5, [ATTACKER])
    print(f"lock: 10000 phones from {ATTACKER}, a code and five wrong guesses each: {requests} requests in "
          f"{seconds} s; code requests answered {answers}")
    _, reply, _ = call(port, "Login/telregister", {"z": honest, "i": code})
    print(f"  honest phone with a code sent before: login z={reply and reply.get('z')} "
          f"{reply and (reply.get('x') or reply.get('b'))}")
    print(f"  honest phone asking after: {phone_login(port, log_path, '13912345002')}")
    # Many addresses, twenty phones each: enough codes to fill the tables.
    sources = ["127.0.%d.%d" % (1 + i // 250, 1 + i % 250) for i in range(600)]
    honest = "13912345003"
    form(port, "Sdkhome/yzm", "sj=%s&type=8" % honest)
    code = sms_code(log_path, honest)
    phones = ["136%08d" % i for i in range(12000)]
    requests, seconds, answers = code_flood(port, phones, 0, sources)
    print(f"lock: 12000 phones from 600 addresses, one code each: {requests} requests in {seconds} s; "
          f"answered {answers}")
    print(f"  honest phone asking after: {phone_login(port, log_path, '13912345004')}")
    _, reply, _ = call(port, "Login/telregister", {"z": honest, "i": code})
    print(f"  honest phone with a code sent before: login z={reply and reply.get('z')} "
          f"{reply and (reply.get('x') or reply.get('b'))}")


def amplification(port, pid):
    """Small requests that carry large texts, 100 of each, by a logged-in player; memory growth."""
    call(port, "login/register", {"z": "amp001", "b": "amp12345"})
    _, _, cookie = call(port, "login/dologin", {"z": "amp001", "b": "amp12345"})
    session = b"Cookie: %s\r\n" % cookie.encode() if cookie else b""
    def comment(size):
        return gzip.compress(b"username=amp001&content=" + b"a" * size)

    def order(size):
        params = {"z": "wx", "c": "amp001", "p": "6", "b": "6", "l": "p" * size}
        return gzip.compress(scramble(json.dumps(params).encode()).encode())

    def register(i, size):
        return gzip.compress(scramble(json.dumps({"z": "amp%d-%d" % (size, i), "b": "w" * size}).encode()).encode())

    def comments(size):
        body = comment(size)
        return lambda i: (body, exchange(port, "Sdkcomments/commit", "application/x-www-form-urlencoded", body, 30,
                                         headers=b"Content-Encoding: gzip\r\n" + session))

    def orders(size):
        body = order(size)
        return lambda i: (body, exchange(port, "H5pay/pay", "text/html", body, 30, headers=session))

    def registrations(size):
        return lambda i: (lambda body: (body, exchange(port, "login/register", "text/html", body, 30)))(register(i, size))

    # Just under the decoded bound of a server that allows 4 MiB, then texts whose requests fit a
    # 64 KiB bound (a scrambled body's text is about five times its JSON).
    cases = [
        ("Sdkcomments/commit, a 4 MB comment", comments((4 << 20) - 1024)),
        ("H5pay/pay, a 600 kB product name", orders(600000)),
        ("login/register, a 600 kB password", registrations(600000)),
        ("Sdkcomments/commit, a 60 kB comment", comments(60000)),
        ("H5pay/pay, a 10 kB product name", orders(10000)),
        ("login/register, a 10 kB password", registrations(10000)),
    ]
    for name, send in cases:
        before = rss(pid)["VmRSS"]
        statuses, size = {}, 0
        for i in range(100):
            body, reply = send(i)
            size = len(body)
            head, _, payload = reply.partition(b"\r\n\r\n")
            status = head[9:12].decode()
            if status == "200":
                answer = unscramble(payload) if name.startswith(("H5pay", "login")) else json.loads(payload)
                status += " " + str(answer and answer.get("d" if name.startswith("login") else "b"))
            statuses[status] = statuses.get(status, 0) + 1
        print(f"amplification: 100 x {name} ({size} bytes sent each): answers {statuses}; "
              f"RSS {before} -> {rss(pid)['VmRSS']} MB")


def registration_flood(port, pid, addresses=50, each=200, workers=16):
    """Registrations of fresh names from many client addresses; how they were answered and memory."""
    answers = {}
    lock = threading.Lock()
    before = rss(pid)["VmRSS"]

    def work(k):
        for n in range(k, addresses * each, workers):
            source = "127.0.%d.%d" % (3 + n // each // 250, 1 + n // each % 250)
            try:
                _, reply, _ = call(port, "login/register", {"z": "flood%06d" % n, "b": "flood123"}, source=source)
                text = reply.get("d") if reply else "no reply"
            except OSError:
                text = "connection error"
            with lock:
                answers[text] = answers.get(text, 0) + 1

    seconds = in_threads(workers, work)
    _, reply, _ = call(port, "login/dologin", {"z": "probe01", "b": "probe123"})
    print(f"registrations: {addresses * each} fresh names from {addresses} addresses in "
          f"{seconds} s: {answers}; RSS {before} -> {rss(pid)['VmRSS']} MB; "
          f"probe login z={reply and reply.get('z')}")


def run_header_flood(port, pid):
    flooded = header_flood(port, 200 << 20, 64, 90)
    print(f"header flood: {flooded >> 20} MB sent; after {rss(pid)} MB; others served {latencies(port, 10)}")


def run_idle(port, pid):
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
          f"memory {rss(pid)} MB")
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


def run_bodies(port, pid):
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
    during = rss(pid)
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
          f"answers {codes}; after {rss(pid)} MB")


def run_roles(port, pid, cookie):
    before = rss(pid)
    big = {"z": "probe01", "b": "1001", "c": "r1", "d": "r" * (33 << 10)}
    statuses = [call(port, "User/setRole", big, cookie=cookie)[0] for _ in range(300)]
    statuses += [call(port, "User/setRole", {"z": "probe01", "b": str(i)}, cookie=cookie)[0] for i in range(300)]
    print(f"600 role reports ({len(statuses)} answered {set(statuses)}): {before} MB before, {rss(pid)} MB after")


def run_stop(port, proc):
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


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else "build/default/server/vorlix-server"
    # Attacks by name, all by default: scripts/server-attack.py BINARY starvation,lock
    only = set(sys.argv[2].split(",")) if len(sys.argv) > 2 else None
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 8192), hard))
    # The server's log carries the SMS codes it sends.
    log = tempfile.NamedTemporaryFile(prefix="vorlix-server-", suffix=".log")
    proc = subprocess.Popen([binary], stdout=subprocess.PIPE, stderr=log, text=True)
    try:
        first = proc.stdout.readline()
        port = int(first.split("127.0.0.1:")[1].split("/")[0])
        print(f"server pid {proc.pid} port {port}; at start {rss(proc.pid)} MB")
        # The probes' account, and a session for the attacks that need a player.
        call(port, "login/register", {"z": "probe01", "b": "probe123"})
        _, _, cookie = call(port, "login/dologin", {"z": "probe01", "b": "probe123"})
        attacks = [
            # 200 MB of header lines over 64 connections (at most 90 s).
            ("headers", lambda: run_header_flood(port, proc.pid)),
            # 1000 idle and 300 trickling connections; others ask meanwhile.
            ("idle", lambda: run_idle(port, proc.pid)),
            # 128 scrambled bodies near the decoded bound, in flight at once.
            ("bodies", lambda: run_bodies(port, proc.pid)),
            # Role reports: 300 of 33 kB each, then 300 small ones.
            ("roles", lambda: run_roles(port, proc.pid, cookie)),
            # Compressed bodies that inflate and then trickle, beside ordinary logins.
            ("starvation", lambda: run_starvation(port, proc.pid)),
            # Code floods that would lock the wrong-try table or fill the code tables.
            ("lock", lambda: run_lock(port, proc.pid, log.name)),
            # Small requests carrying large texts.
            ("amplification", lambda: amplification(port, proc.pid)),
            # 10,000 registrations from 50 addresses.
            ("registrations", lambda: registration_flood(port, proc.pid)),
        ]
        for name, attack in attacks:
            if only is None or name in only:
                attack()
        # Stopping beside slow clients, always last.
        run_stop(port, proc)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


if __name__ == "__main__":
    main()
