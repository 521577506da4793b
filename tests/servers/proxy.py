#!/usr/bin/env python3
"""Loopback forward proxy for the transport tests.

Records each request's line and headers (JSON lines in --log, server "proxy"), then forwards plain
HTTP requests in absolute form to their origin. Only literal 127.x.y.z origins are reached: no name
is ever resolved. With --user and --password, a request without those Basic proxy credentials gets
407 with "Proxy-Authenticate: Basic".
"""

import argparse
import base64
import http.client
import ipaddress
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

from httpserver import RequestLog, announce


def loopback_literal(host):
    try:
        return ipaddress.ip_address(host) in ipaddress.ip_network("127.0.0.0/8")
    except ValueError:
        return False


class ProxyHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "OrvaneTestProxy/1"
    sys_version = ""

    def log_message(self, format, *args):
        pass

    def do_GET(self):
        self.forward()

    do_HEAD = do_GET

    def do_CONNECT(self):
        self.server.request_log.record(self.server.name, self)
        self.reply(501, b"CONNECT is not offered\n")

    def forward(self):
        self.server.request_log.record(self.server.name, self)
        if not self.authorised():
            self.reply(407, b"Proxy authentication required\n",
                       [("Proxy-Authenticate", 'Basic realm="Orvane proxy"')])
            return
        url = urllib.parse.urlsplit(self.path)
        if url.scheme != "http" or not url.hostname or not loopback_literal(url.hostname):
            self.reply(502, b"Only http://127.x.y.z origins\n")
            return
        target = url.path or "/"
        if url.query:
            target += "?" + url.query
        headers = {k: v for k, v in self.headers.items()
                   if k.lower() not in ("proxy-authorization", "proxy-connection", "connection",
                                        "keep-alive")}
        try:
            origin = http.client.HTTPConnection(url.hostname, url.port or 80, timeout=60)
            origin.request(self.command, target, headers=headers)
            answer = origin.getresponse()
        except OSError as error:
            self.reply(502, ("Origin unreachable: %s\n" % error).encode())
            return
        body = answer.read()
        self.send_response(answer.status, answer.reason)
        for name, value in answer.getheaders():
            if name.lower() not in ("transfer-encoding", "content-length", "connection", "keep-alive"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        origin.close()

    def authorised(self):
        if self.server.user is None:
            return True
        scheme, _, token = self.headers.get("Proxy-Authorization", "").partition(" ")
        try:
            given = base64.b64decode(token.strip()).decode("latin-1")
        except ValueError:
            return False
        return scheme.lower() == "basic" and given == "%s:%s" % (self.server.user, self.server.password)

    def reply(self, code, body, headers=()):
        self.send_response(code)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)


class ProxyServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, name, bind, request_log, user=None, password=None):
        self.name = name
        self.request_log = request_log
        self.user = user
        self.password = password
        super().__init__((bind, 0), ProxyHandler)

    def handle_error(self, request, client_address):
        pass

    @property
    def port(self):
        return self.server_address[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--log", default="")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--port-file", help="written once listening: PORT PID")
    args = parser.parse_args()
    if not loopback_literal(args.bind):
        parser.error("loopback addresses only")
    server = ProxyServer("proxy", args.bind, RequestLog(args.log), args.user, args.password)
    announce(server.port, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
