#!/usr/bin/env python3
"""A person's input through a VNC server (RFB 3.8, security type None).

Usage: vnc_input.py SOCKET ACTION...
  move X Y     the pointer to (X, Y) of the server's screen
  key KEYSYM   a key pressed and released (an X keysym, decimal or 0x hex)
SOCKET is the server's UNIX socket (wayvnc -u).
"""
import socket
import struct
import sys
import time


def connect(address):
    # wayvnc turns a connection away now and then while it is busy.
    deadline = time.monotonic() + 10
    while True:
        s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        s.settimeout(10)
        try:
            s.connect(address)
            return s
        except ConnectionRefusedError:
            s.close()
            if time.monotonic() > deadline:
                raise
            time.sleep(0.2)


def read(s, count):
    data = b""
    while len(data) < count:
        piece = s.recv(count - len(data))
        if not piece:
            raise ConnectionError("the server closed the connection")
        data += piece
    return data


def handshake(s):
    read(s, 12)
    s.sendall(b"RFB 003.008\n")
    types = read(s, read(s, 1)[0])
    if 1 not in types:
        raise ConnectionError("no security type None: %r" % types)
    s.sendall(b"\x01")
    if struct.unpack(">I", read(s, 4))[0] != 0:
        raise ConnectionError("security refused")
    s.sendall(b"\x01")  # shared
    width, height = struct.unpack(">HH", read(s, 4))
    read(s, 16)
    read(s, struct.unpack(">I", read(s, 4))[0])
    return width, height


def main(argv):
    s = connect(argv[1])
    handshake(s)
    actions = argv[2:]
    while actions:
        if actions[0] == "move":
            x, y = int(actions[1]), int(actions[2])
            s.sendall(struct.pack(">BBHH", 5, 0, x, y))
            actions = actions[3:]
        elif actions[0] == "key":
            keysym = int(actions[1], 0)
            for down in (1, 0):
                s.sendall(struct.pack(">BBxxI", 4, down, keysym))
            actions = actions[2:]
        else:
            raise SystemExit("vnc_input: unknown action %s" % actions[0])
    # The server reads everything before the end and then closes its side;
    # asking it for anything instead would have it write to a closed socket.
    s.shutdown(socket.SHUT_WR)
    while s.recv(4096):
        pass
    s.close()


if __name__ == "__main__":
    main(sys.argv)
