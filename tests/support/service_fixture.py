#!/usr/bin/env python3
"""A loopback stand-in for the saver's web service, for the tests.

Usage: service_fixture.py PORT FOLDER [CERT KEY]

Answers GET /NAME from FOLDER/NAME and logs "GET /NAME" to FOLDER/requests.log.
FOLDER/NAME.how, when present, says how to answer:
  status N   that status with the body
  chunked    the body in three chunks with pauses between them
  cut        announces more bytes than it sends, then closes
  stall      reads the request and never answers
  reset      reads the request and resets the connection before any answer
  redirect   302 to /NAME.moved
  unsized    no length: the body, then the connection closes
With CERT and KEY it speaks TLS. FOLDER/ready appears once it listens.
"""
import os
import socket
import ssl
import struct
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

port, folder = int(sys.argv[1]), sys.argv[2]
log_lock = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def finish(self):
        # A connection reset on purpose has nothing left to flush.
        try:
            super().finish()
        except OSError:
            pass

    def do_GET(self):
        name = self.path.lstrip("/")
        with log_lock, open(os.path.join(folder, "requests.log"), "a") as log:
            log.write("GET " + self.path + "\n")
        body = b""
        path = os.path.join(folder, name)
        if "/" not in name and os.path.isfile(path):
            with open(path, "rb") as f:
                body = f.read()
        how = ["plain"]
        if os.path.isfile(path + ".how"):
            with open(path + ".how") as f:
                how = f.read().split() or how
        status = 200 if os.path.isfile(path) else 404
        if how[0] == "status":
            status = int(how[1])
        self.close_connection = True
        if how[0] == "stall":
            time.sleep(60)
            return
        if how[0] == "reset":
            # Linger with a zero timeout: close sends a reset, not a FIN.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            return
        if how[0] == "redirect":
            self.send_response(302)
            self.send_header("Location", "/" + name + ".moved")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        if how[0] == "chunked":
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            third = max(1, len(body) // 3)
            for start in range(0, len(body), third):
                piece = body[start:start + third]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                self.wfile.flush()
                time.sleep(0.2)
            self.wfile.write(b"0\r\n\r\n")
            return
        if how[0] == "cut":
            self.send_header("Content-Length", str(len(body) + 1000))
            self.end_headers()
            self.wfile.write(body)
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if how[0] != "unsized":
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", port), Handler)
if len(sys.argv) > 4:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[3], sys.argv[4])
    server.socket = context.wrap_socket(server.socket, server_side=True)
open(os.path.join(folder, "ready"), "w").close()
server.serve_forever()
