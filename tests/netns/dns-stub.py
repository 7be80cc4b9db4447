#!/usr/bin/env python3
"""A name server for tests, on a loopback address inside the test's own
network namespace: it answers NAME=ADDRESS pairs given on the command line
with one A record and every other question with "no such name"."""
import socket
import struct
import sys


def question_name(packet, offset):
    labels = []
    while offset < len(packet):
        n = packet[offset]
        offset += 1
        if n == 0:
            break
        labels.append(packet[offset:offset + n].decode("ascii", "replace"))
        offset += n
    return ".".join(labels).lower(), offset


def answer(packet, known):
    if len(packet) < 12:
        return None
    ident, flags, qdcount = struct.unpack(">HHH", packet[:6])
    name, end = question_name(packet, 12)
    qtype, _ = struct.unpack(">HH", packet[end:end + 4]) if end + 4 <= len(packet) else (0, 0)
    question = packet[12:end + 4]
    reply_flags = 0x8180 | (flags & 0x0100)  # response, recursion available
    address = known.get(name)
    if address is None:
        return struct.pack(">HHHHHH", ident, reply_flags | 3, 1, 0, 0, 0) + question
    if qtype != 1:  # only A records; other types get an empty answer
        return struct.pack(">HHHHHH", ident, reply_flags, 1, 0, 0, 0) + question
    record = struct.pack(">HHHIH", 0xC00C, 1, 1, 60, 4) + socket.inet_aton(address)
    return struct.pack(">HHHHHH", ident, reply_flags, 1, 1, 0, 0) + question + record


def main():
    listen, port = sys.argv[1], int(sys.argv[2])
    known = dict(pair.lower().split("=", 1) for pair in sys.argv[3:])
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((listen, port))
    print("ready", flush=True)
    while True:
        packet, peer = s.recvfrom(4096)
        reply = answer(packet, known)
        if reply:
            s.sendto(reply, peer)


if __name__ == "__main__":
    main()
