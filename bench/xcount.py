#!/usr/bin/python3
"""Counts the X11 requests each client program sends, as a proxy display.

bench/measure.sh runs the programs it measures on this display instead of the
real one. Every byte and every passed file descriptor (MIT-SHM sends some) go
on unchanged; on the way the proxy counts the requests of each connection,
keyed by the client's process id (from the socket's peer credentials), and
notes when the client first hears that one of its windows was mapped
(MapNotify) or exposed (Expose), and when it first asked for a map
(MapWindow: an override-redirect window that selects its events only later
hears of neither, but is mapped as soon as the server reads that request).

Usage: xcount.py LISTEN_DISPLAY TARGET_DISPLAY STATE_FILE
    (displays as numbers). On SIGUSR1 it writes STATE_FILE, one line per
    client process: "pid requests first_map_ns map_request_ns"
    (CLOCK_REALTIME nanoseconds, 0 = not yet).
"""

import os
import signal
import socket
import struct
import sys
import threading
import time

MAP_WINDOW = 8
MAP_NOTIFY = 19
EXPOSE = 12
REPLY = 1
GENERIC_EVENT = 35
MAX_FDS = 32


class Client:
    """What one client process has sent and heard so far."""

    def __init__(self):
        self.requests = 0
        self.first_map_ns = 0
        self.map_request_ns = 0
        self.little_endian = True


class Stream:
    """Splits one direction of a connection into messages, chunk by chunk.

    measure(header) returns a message's full length from its first bytes, or
    0 when it needs 4 more of them; seen(header) is told of each message.
    """

    def __init__(self, first_header, header, measure, seen):
        self.want = first_header
        self.header_size = header
        self.header = bytearray()
        self.skip = 0
        self.measure = measure
        self.seen = seen

    def feed(self, data):
        pos = 0
        while pos < len(data):
            if self.skip:
                step = min(self.skip, len(data) - pos)
                self.skip -= step
                pos += step
                continue
            step = min(self.want - len(self.header), len(data) - pos)
            self.header += data[pos:pos + step]
            pos += step
            if len(self.header) < self.want:
                continue
            length = self.measure(bytes(self.header))
            if not length:
                self.want += 4
                continue
            self.seen(bytes(self.header))
            self.skip = length - len(self.header)
            self.header.clear()
            self.want = self.header_size


def request_stream(client):
    """Client to server: a setup block, then requests sized in 4-byte words."""
    state = {"setup": True}

    def measure(head):
        if state["setup"]:
            client.little_endian = head[0:1] == b"l"
        order = "<" if client.little_endian else ">"
        if state["setup"]:
            name, data = struct.unpack(order + "HH", head[6:10])
            return 12 + -(-name // 4) * 4 + -(-data // 4) * 4
        words = struct.unpack(order + "H", head[2:4])[0]
        if words:
            return words * 4
        # BIG-REQUESTS: a 32-bit length follows.
        return struct.unpack(order + "I", head[4:8])[0] * 4 if len(head) >= 8 else 0

    def seen(head):
        if state["setup"]:
            state["setup"] = False
            return
        client.requests += 1
        if head[0] == MAP_WINDOW and not client.map_request_ns:
            client.map_request_ns = time.time_ns()

    return Stream(12, 4, measure, seen)


def reply_stream(client):
    """Server to client: a setup reply, then errors, replies and events."""
    state = {"setup": True}

    def measure(head):
        order = "<" if client.little_endian else ">"
        if state["setup"]:
            return 8 + struct.unpack(order + "H", head[6:8])[0] * 4
        if len(head) < 32:
            return 0
        kind = head[0] & 0x7F
        if kind in (REPLY, GENERIC_EVENT):
            return 32 + struct.unpack(order + "I", head[4:8])[0] * 4
        return 32

    def seen(head):
        if state["setup"]:
            state["setup"] = False
        elif head[0] & 0x7F in (MAP_NOTIFY, EXPOSE) and not client.first_map_ns:
            client.first_map_ns = time.time_ns()

    return Stream(8, 32, measure, seen)


def pump(source, target, stream):
    """Copies one direction, descriptors included, until either side ends."""
    try:
        while True:
            data, fds, _, _ = socket.recv_fds(source, 65536, MAX_FDS)
            if not data:
                break
            stream.feed(data)
            sent = socket.send_fds(target, [data], fds) if fds else 0
            for fd in fds:
                os.close(fd)
            target.sendall(data[sent:])
    except OSError:
        pass
    for sock in (source, target):
        try:
            sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


clients = {}


def serve(conn, target_path):
    creds = conn.getsockopt(socket.SOL_SOCKET, socket.SO_PEERCRED, struct.calcsize("3i"))
    client = clients.setdefault(struct.unpack("3i", creds)[0], Client())
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        server.connect(target_path)
    except OSError:
        conn.close()
        return
    ends = [
        threading.Thread(target=pump, args=(conn, server, request_stream(client)), daemon=True),
        threading.Thread(target=pump, args=(server, conn, reply_stream(client)), daemon=True),
    ]
    for end in ends:
        end.start()
    for end in ends:
        end.join()
    conn.close()
    server.close()


def write_state(path):
    lines = "".join(f"{pid} {c.requests} {c.first_map_ns} {c.map_request_ns}\n"
                    for pid, c in list(clients.items()))
    with open(path + ".tmp", "w") as out:
        out.write(lines)
    os.replace(path + ".tmp", path)


def main(listen, target, state):
    listen_path = f"/tmp/.X11-unix/X{listen}"
    lock_path = f"/tmp/.X{listen}-lock"
    # The lock file keeps an X server started meanwhile off this display number.
    with open(lock_path, "x") as lock:
        lock.write(f"{os.getpid():10d}\n")
    signal.signal(signal.SIGUSR1, lambda *_: write_state(state))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        listener.bind(listen_path)
        listener.listen(16)
        write_state(state)
        while True:
            conn, _ = listener.accept()
            threading.Thread(target=serve, args=(conn, f"/tmp/.X11-unix/X{target}"),
                             daemon=True).start()
    except KeyboardInterrupt:
        pass
    finally:
        listener.close()
        for path in (listen_path, lock_path):
            try:
                os.unlink(path)
            except FileNotFoundError:
                pass


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(int(sys.argv[1]), int(sys.argv[2]), sys.argv[3])
