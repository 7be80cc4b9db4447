#!/usr/bin/env python3
"""A name server for tests, on a loopback address inside the test's own
network namespace. Arguments are NAME=ADDRESS pairs:

  NAME=ADDRESS         answered at once with one A record;
  NAME=ADDRESS/held    answered only once the test asks for the name
                       "release.NAME" (that question itself gets "no such
                       name"), so that a test decides when a lookup ends;
  NAME=silent          never answered: a lookup of it stays pending until
                       the resolver gives up.

Every other question gets "no such name". Every question is logged as
"query NAME ID", the ID telling a new lookup from a resend."""
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


def answer(packet, name, end, address):
    ident, flags, _ = struct.unpack(">HHH", packet[:6])
    qtype, _ = struct.unpack(">HH", packet[end:end + 4]) if end + 4 <= len(packet) else (0, 0)
    question = packet[12:end + 4]
    reply_flags = 0x8180 | (flags & 0x0100)  # response, recursion available
    if address is None:
        return struct.pack(">HHHHHH", ident, reply_flags | 3, 1, 0, 0, 0) + question
    if qtype != 1:  # only A records; other types get an empty answer
        return struct.pack(">HHHHHH", ident, reply_flags, 1, 0, 0, 0) + question
    record = struct.pack(">HHHIH", 0xC00C, 1, 1, 60, 4) + socket.inet_aton(address)
    return struct.pack(">HHHHHH", ident, reply_flags, 1, 1, 0, 0) + question + record


def main():
    listen, port = sys.argv[1], int(sys.argv[2])
    known, held, silent = {}, {}, set()
    for pair in sys.argv[3:]:
        name, value = pair.lower().split("=", 1)
        if value == "silent":
            silent.add(name)
        elif value.endswith("/held"):
            held[name] = value[:-len("/held")]
        else:
            known[name] = value
    waiting = {name: [] for name in held}  # questions held back, per name
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((listen, port))
    print("ready", flush=True)
    while True:
        packet, peer = s.recvfrom(4096)
        if len(packet) < 12:
            continue
        name, end = question_name(packet, 12)
        print(f"query {name} {struct.unpack('>H', packet[:2])[0]}", flush=True)
        if name in silent:
            continue
        if name in waiting:
            waiting[name].append((packet, end, peer))
            continue
        if name.startswith("release.") and name[len("release."):] in waiting:
            target = name[len("release."):]
            for held_packet, held_end, held_peer in waiting.pop(target):
                s.sendto(answer(held_packet, target, held_end, held[target]), held_peer)
            known[target] = held[target]  # a question asked again is answered at once
            print("released " + target, flush=True)
        s.sendto(answer(packet, name, end, known.get(name)), peer)


if __name__ == "__main__":
    main()
