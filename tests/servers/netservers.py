#!/usr/bin/python3
"""netservers.py start|stop|serve DIR   every loopback server of the transport tests, in one process.

start  makes the certificates (DIR/certs), the served folder (DIR/www, LZ files under www/lz),
       stops an instance an earlier run left behind (by its process id), starts a detached
       "serve" process and returns once DIR/servers.txt says where everything listens.
stop   ends the instance recorded in DIR/servers.pid, by process id, and removes servers.txt.
serve  the servers themselves; ends on SIGTERM, when DIR/servers.txt disappears, or after
       --lifetime seconds, so nothing outlives a run that was killed.

DIR/servers.txt holds key=value lines: pid, the port of each server, the credentials and paths.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

USER, PASSWORD = "tester", "Pa55-word"
PROXY_USER, PROXY_PASSWORD = "proxyuser", "proxy-pw"


def paths(folder):
    folder = os.path.abspath(folder)
    return {
        "dir": folder,
        "root": os.path.join(folder, "www"),
        "certs": os.path.join(folder, "certs"),
        "log": os.path.join(folder, "requests.jsonl"),
        "info": os.path.join(folder, "servers.txt"),
        "pid": os.path.join(folder, "servers.pid"),
        "out": os.path.join(folder, "servers.out"),
    }


def ours(pid):
    """True when pid is a serve process of this script (a recycled pid is left alone)."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as source:
            words = source.read().split(b"\0")
    except OSError:
        return False
    return any(w.endswith(b"netservers.py") for w in words) and b"serve" in words


def stop(folder):
    p = paths(folder)
    try:
        pid = int(open(p["pid"]).read().split()[0])
    except (OSError, ValueError, IndexError):
        pid = 0
    if pid and ours(pid):
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            if not ours(pid):
                break
            time.sleep(0.05)
        else:
            os.kill(pid, signal.SIGKILL)
    for name in ("info", "pid"):
        try:
            os.remove(p[name])
        except FileNotFoundError:
            pass


def fill_served_folder(p, fixtures):
    root = p["root"]
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "sub", "inner"))
    os.makedirs(os.path.join(root, "scratch"))
    from httpserver import generated
    files = {
        "hello.txt": b"Hello from the Orvane test server.\r\n",
        "data.bin": generated(0, 20000),
        "block.bin": generated(0, 4096),
        "sub/readme.txt": b"A file in a sub-folder.\r\n" * 10,
        "sub/inner/deep.txt": b"Deep inside.\r\n",
    }
    for name, data in files.items():
        with open(os.path.join(root, name), "wb") as out:
            out.write(data)
    subprocess.run(["sh", os.path.join(HERE, "make-lz-fixtures.sh"), os.path.join(root, "lz")], check=True)
    cabs = os.path.join(fixtures or "", "cab")
    if fixtures and os.path.isdir(cabs):
        os.makedirs(os.path.join(root, "cab"))
        for name in os.listdir(cabs):
            if name.lower().endswith(".cab"):
                shutil.copyfile(os.path.join(cabs, name), os.path.join(root, "cab", name))


def start(folder, fixtures, lifetime):
    p = paths(folder)
    os.makedirs(p["dir"], exist_ok=True)
    stop(folder)
    subprocess.run([sys.executable, os.path.join(HERE, "make-certs.py"), p["certs"]], check=True)
    fill_served_folder(p, fixtures)
    open(p["log"], "w").close()  # each run's record starts empty
    with open(p["out"], "wb") as out:
        # Detached, and not holding the caller's output open: ctest waits for whoever holds it.
        child = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", p["dir"],
                                  "--lifetime", str(lifetime)],
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                 start_new_session=True, close_fds=True)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        if os.path.exists(p["info"]):
            print(open(p["info"]).read(), end="")
            return 0
        if child.poll() is not None:
            break
        time.sleep(0.05)
    sys.stderr.write("the servers did not start:\n" + open(p["out"]).read())
    if child.poll() is None:
        child.kill()
    return 1


def serve(folder, lifetime):
    from ftpserver import make_server as make_ftp
    from httpserver import RequestLog, Server
    from proxy import ProxyServer

    p = paths(folder)
    log = RequestLog(p["log"])
    certs = p["certs"]

    def tls(role):
        return (os.path.join(certs, role + ".pem"), os.path.join(certs, role + ".key"))

    http = {
        "http": Server("http", "127.0.0.1", p["root"], log, USER, PASSWORD),
        # The proxy's origin: a literal address other than the proxy's, never a name.
        "origin": Server("origin", "127.0.0.2", p["root"], log, USER, PASSWORD),
        "https": Server("https", "127.0.0.1", p["root"], log, USER, PASSWORD, tls("good")),
        "https_leafonly": Server("https_leafonly", "127.0.0.1", p["root"], log, USER, PASSWORD, tls("leafonly")),
        "https_wrongname": Server("https_wrongname", "127.0.0.1", p["root"], log, USER, PASSWORD, tls("wrongname")),
        "https_expired": Server("https_expired", "127.0.0.1", p["root"], log, USER, PASSWORD, tls("expired")),
        "https_unknownca": Server("https_unknownca", "127.0.0.1", p["root"], log, USER, PASSWORD, tls("unknownca")),
        "https_unknownca_leafonly": Server("https_unknownca_leafonly", "127.0.0.1", p["root"], log, USER, PASSWORD,
                                           tls("unknownca_leafonly")),
        "proxy": ProxyServer("proxy", "127.0.0.1", log),
        "proxy_auth": ProxyServer("proxy_auth", "127.0.0.1", log, PROXY_USER, PROXY_PASSWORD),
    }
    ftp = make_ftp("127.0.0.1", p["root"], USER, PASSWORD)
    for server in http.values():
        threading.Thread(target=server.serve_forever, daemon=True).start()
    threading.Thread(target=ftp.serve_forever, daemon=True).start()

    info = ["pid=%d" % os.getpid()]
    info += ["%s=%d" % (name, server.port) for name, server in http.items()]
    info += ["ftp=%d" % ftp.address[1], "origin_host=127.0.0.2",
             "user=" + USER, "password=" + PASSWORD,
             "proxy_user=" + PROXY_USER, "proxy_password=" + PROXY_PASSWORD,
             "root=" + p["root"], "log=" + p["log"], "certs=" + certs]
    with open(p["pid"], "w") as out:
        out.write("%d\n" % os.getpid())
    with open(p["info"] + ".tmp", "w") as out:
        out.write("\n".join(info) + "\n")
    os.replace(p["info"] + ".tmp", p["info"])  # its appearance means every server listens

    stopping = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stopping.set())
    signal.signal(signal.SIGINT, lambda *_: stopping.set())
    end = time.monotonic() + lifetime
    while not stopping.wait(1.0):
        if time.monotonic() > end or not os.path.exists(p["info"]):
            break
    os._exit(0)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["start", "stop", "serve"])
    parser.add_argument("dir")
    parser.add_argument("--fixtures", help="shared fixtures folder: its cab/*.cab are served under /cab")
    parser.add_argument("--lifetime", type=int, default=3 * 3600, help="seconds before serve ends by itself")
    args = parser.parse_args()
    if args.command == "start":
        return start(args.dir, args.fixtures, args.lifetime)
    if args.command == "stop":
        stop(args.dir)
        return 0
    serve(args.dir, args.lifetime)
    return 0


if __name__ == "__main__":
    sys.exit(main())
