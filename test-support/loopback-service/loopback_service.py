"""A stand-in for the service's loopback listener, for tests and demos of the session helper.

Listens on 127.0.0.1 (port 25681 by default), records every frame the helper sends and sends
scripted ones. Frames: the 24-byte header "spp " + five big-endian words (tag, type, code,
argument, payload length), then the payload.
"""

import queue
import socket
import struct
import threading
import time

MAGIC = b"spp "
HEADER = struct.Struct(">4sIIIII")
SERVICE_PORT = 25681


def frame(type_, code, payload=b"", tag=0, argument=0, word2=None):
    """Encodes a frame; word2 overrides the type word (for the event and typed forms)."""
    return HEADER.pack(MAGIC, tag, type_ if word2 is None else word2, code, argument, len(payload)) + payload


def user_name_payload(name):
    data = name.encode("latin-1")
    return b"S" + struct.pack(">I", len(data)) + data


class Frame:
    def __init__(self, tag, type_, code, argument, payload):
        self.tag, self.type, self.code, self.argument, self.payload = tag, type_, code, argument, payload

    def __repr__(self):
        return f"Frame(type={self.type}, code={self.code}, payload={self.payload!r})"


class LoopbackService:
    """One listening socket; each accepted connection is read on its own thread."""

    def __init__(self, port=SERVICE_PORT):
        self.port = port
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            self.listener.bind(("127.0.0.1", port))
        except OSError as error:
            self.listener.close()
            raise SystemExit(f"loopback service: port {port} is taken ({error}); is another test or service running?")
        self.listener.listen(4)
        self.frames = queue.Queue()
        self.client = None
        self.read_enabled = threading.Event()
        self.read_enabled.set()
        self.accepted = 0
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            self.accepted += 1
            self.client = client
            threading.Thread(target=self._read, args=(client,), daemon=True).start()

    def _read(self, client):
        buffered = b""
        while True:
            self.read_enabled.wait()
            try:
                data = client.recv(65536)
            except OSError:
                return
            if not data:
                return
            buffered += data
            while len(buffered) >= HEADER.size:
                magic, tag, type_, code, argument, length = HEADER.unpack_from(buffered)
                if magic != MAGIC or len(buffered) < HEADER.size + length:
                    break
                payload = buffered[HEADER.size:HEADER.size + length]
                buffered = buffered[HEADER.size + length:]
                self.frames.put(Frame(tag, type_, code, argument, payload))

    def wait_connections(self, count, timeout):
        """Waits until count connections have been accepted in all."""
        return wait_until(lambda: self.accepted >= count, timeout)

    def next_frame(self, timeout=10):
        return self.frames.get(timeout=timeout)

    def send(self, data):
        self.client.sendall(data)

    def close_client(self):
        if self.client:
            # shutdown first: a plain close() would not end the reader thread's recv, and
            # the peer would see no end of the connection.
            try:
                self.client.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self.client.close()
            self.client = None

    def close(self):
        self.close_client()
        self.listener.close()


def wait_until(predicate, timeout, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()
