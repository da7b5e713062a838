#!/usr/bin/env python3
"""Connection churn against a running supervisor on loopback (driven by churn_load.sh).

One identified monitor stays connected throughout and answers every ping. Phases:
  churn   COUNT connect/close pairs spread over SECONDS
  burst   BURST connections at once that never identify (the supervisor drops them after 3 s)
  flood   FLOODERS identified peers that send junk lines and never read
Meanwhile a probe connects every 250 ms and times the greeting ("cnx"). Prints the greeting
latencies per phase, the drop times of the burst and the gaps between pings.
"""
import argparse, selectors, socket, statistics, threading, time

HOST = "127.0.0.1"


def connect(port, timeout=5.0):
    s = socket.create_connection((HOST, port), timeout=timeout)
    s.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return s


class Monitor(threading.Thread):
    """The good monitor: identifies, answers pings, notes when each came."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.sock = connect(port)
        self.pings = []
        self.stop = False

    def run(self):
        buf = b""
        self.sock.settimeout(0.5)
        self.sock.sendall(b"cpdt&CHURN-GOOD\r\n")
        while not self.stop:
            try:
                data = self.sock.recv(65536)
            except socket.timeout:
                continue
            if not data:
                break
            buf += data
            while b"\n" in buf:
                line, buf = buf.split(b"\n", 1)
                if line.strip() == b"ping":
                    self.pings.append(time.monotonic())
                    self.sock.sendall(b"pong&-60\r\n")


class Probe(threading.Thread):
    """Times the greeting of a fresh connection every 250 ms, labelled with the phase."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.port, self.phase, self.stop = port, "idle", False
        self.samples = {}

    def run(self):
        while not self.stop:
            t0 = time.monotonic()
            try:
                s = connect(self.port, timeout=10)
                s.settimeout(10)
                got = b""
                while b"\n" not in got:
                    chunk = s.recv(64)
                    if not chunk:
                        break
                    got += chunk
                ms = (time.monotonic() - t0) * 1000 if got.startswith(b"cnx") else float("inf")
                s.close()
            except OSError:
                ms = float("inf")
            self.samples.setdefault(self.phase, []).append(ms)
            time.sleep(max(0.0, 0.25 - (time.monotonic() - t0)))


def churn(port, count, seconds):
    t0 = time.monotonic()
    for i in range(count):
        try:
            connect(port).close()
        except OSError:
            pass
        lag = t0 + (i + 1) * seconds / count - time.monotonic()
        if lag > 0:
            time.sleep(lag)
    return time.monotonic() - t0


def burst(port, count):
    """Opens count silent connections; returns the seconds from each one's opening to its drop."""
    sel = selectors.DefaultSelector()
    opened = {}
    for _ in range(count):
        s = connect(port, timeout=10)
        s.setblocking(False)
        opened[s] = time.monotonic()
        sel.register(s, selectors.EVENT_READ)
    drops = []
    deadline = time.monotonic() + 30
    while opened and time.monotonic() < deadline:
        for key, _ in sel.select(timeout=0.5):
            s = key.fileobj
            try:
                data = s.recv(4096)
            except BlockingIOError:
                continue
            except OSError:
                data = b""
            if data:
                continue  # the greeting
            drops.append(time.monotonic() - opened.pop(s))
            sel.unregister(s)
            s.close()
    for s in opened:
        s.close()
    return drops, len(opened)


def flood(port, flooders, seconds):
    socks = []
    for i in range(flooders):
        s = connect(port)
        s.sendall(b"cpdt&CHURN-FLOOD-%d\r\n" % i)
        socks.append(s)
    junk = b"j" * 48000 + b"\r\n"
    stop = time.monotonic() + seconds

    def send(s):
        s.settimeout(1)
        while time.monotonic() < stop:
            try:
                s.sendall(junk)
            except socket.timeout:
                continue
            except OSError:
                return

    threads = [threading.Thread(target=send, args=(s,), daemon=True) for s in socks]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for s in socks:
        s.close()


def summary(name, values):
    finite = [v for v in values if v != float("inf")]
    lost = len(values) - len(finite)
    if not finite:
        return f"{name}: no greeting at all ({lost} probes)"
    return (f"{name}: {len(values)} probes, median {statistics.median(finite):.0f} ms, "
            f"max {max(finite):.0f} ms" + (f", {lost} without greeting" if lost else ""))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("port", type=int)
    ap.add_argument("--count", type=int, default=5000)
    ap.add_argument("--seconds", type=float, default=20)
    ap.add_argument("--burst", type=int, default=3000)
    ap.add_argument("--flooders", type=int, default=8)
    ap.add_argument("--flood-seconds", type=float, default=25)
    ap.add_argument("--pid", type=int, default=0, help="the supervisor, for its RSS per phase")
    a = ap.parse_args()

    def rss(phase):
        if not a.pid:
            return
        with open(f"/proc/{a.pid}/status") as f:
            kb = next(int(l.split()[1]) for l in f if l.startswith("VmRSS"))
        print(f"RSS after {phase}: {kb / 1024:.1f} MiB", flush=True)

    good = Monitor(a.port)
    good.start()
    probe = Probe(a.port)
    probe.start()
    time.sleep(2)
    probe.phase = "churn"
    took = churn(a.port, a.count, a.seconds)
    print(f"churn: {a.count} connect/close in {took:.1f} s")
    probe.phase = "after churn"
    time.sleep(3)
    rss("churn")
    probe.phase = "burst"
    drops, left = burst(a.port, a.burst)
    probe.phase = "after burst"
    time.sleep(3)
    rss("burst")
    probe.phase = "flood"
    flood(a.port, a.flooders, a.flood_seconds)
    probe.phase = "after flood"
    time.sleep(3)
    rss("flood")
    probe.stop = good.stop = True
    probe.join()

    print(f"burst: {len(drops)} of {a.burst} silent connections dropped, {left} left open")
    if drops:
        late = [d - 3.0 for d in drops]
        print(f"burst drop after the 3 s deadline: min {min(late):.2f} s, "
              f"median {statistics.median(late):.2f} s, max {max(late):.2f} s")
    for phase in ["idle", "churn", "after churn", "burst", "after burst", "flood", "after flood"]:
        print("greeting " + summary(phase, probe.samples.get(phase, [])))
    gaps = [b - a_ for a_, b in zip(good.pings, good.pings[1:])]
    print(f"pings to the identified monitor: {len(good.pings)}, "
          f"longest gap {max(gaps) if gaps else 0:.1f} s")
    ok = (left == 0 and drops and max(drops) - 3.0 <= 5.0 and gaps and max(gaps) < 12.0 and
          all(max(v) <= 200 for k, v in probe.samples.items() if v))
    return 0 if ok else 1


if __name__ == "__main__":
    raise SystemExit(main())
