#!/usr/bin/env python3
"""Loopback FTP server for the transport tests (Debian's python3-pyftpdlib).

Serves --root read-only to "anonymous" and to --user/--password; passive (ports chosen by the
system) and active mode. A wrong password gets pyftpdlib's "530 Authentication failed.".
"""

import argparse
import logging

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import ThreadedFTPServer

from httpserver import announce


def make_server(bind, root, user, password):
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root, perm="elr")
    if user:
        authorizer.add_user(user, password or "", root, perm="elr")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Orvane test FTP server ready."
    Handler.permit_privileged_ports = False
    Handler.auth_failed_timeout = 0.1  # the default 3 s pause would only slow the tests down
    server = ThreadedFTPServer((bind, 0), Handler)
    return server


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--root", default=".")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--port-file", help="written once listening: PORT PID")
    args = parser.parse_args()
    if not args.bind.startswith("127."):
        parser.error("loopback addresses only")
    logging.basicConfig(level=logging.WARNING)
    server = make_server(args.bind, args.root, args.user, args.password)
    announce(server.address[1], args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
