#!/usr/bin/env python3
"""A mount that never answers a read, as a hung network share does: it lists one file, opens it,
and leaves every read of it waiting. Speaks the kernel's FUSE protocol on /dev/fuse itself, so it
needs nothing but root (or a user namespace of its own) and a mount namespace to mount in.

    stuck_mount.py MOUNTPOINT FILE_NAME SIZE

Prints "mounted" once the file can be looked up, and "read pending" for each read it holds. A read
ends only when its reader is killed."""

import ctypes
import os
import struct
import sys

ROOT, FILE = 1, 2
LOOKUP, GETATTR, OPEN, READ, RELEASE, FLUSH, INIT = 1, 3, 14, 15, 18, 25, 26
OPENDIR, READDIR, RELEASEDIR, INTERRUPT, DESTROY = 27, 28, 29, 36, 38
ENOENT, EINTR, ENOSYS = 2, 4, 38
IN_HEADER = struct.Struct("<IIQQIIIHH")  # len, opcode, unique, node, uid, gid, pid, ext, pad


def attributes(node, size):
    mode = 0o040755 if node == ROOT else 0o100644
    # ino, size, blocks, atime, mtime, ctime, their nanoseconds, mode, nlink, uid, gid, rdev,
    # blksize, flags
    return struct.pack("<QQQQQQIIIIIIIIII", node, size, (size + 511) // 512, 0, 0, 0, 0, 0, 0,
                       mode, 1, 0, 0, 0, 4096, 0)


def main():
    mountpoint, name, size = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
    device = os.open("/dev/fuse", os.O_RDWR)
    libc = ctypes.CDLL(None, use_errno=True)
    options = f"fd={device},rootmode=40000,user_id=0,group_id=0,allow_other".encode()
    if libc.mount(b"stuck", mountpoint.encode(), b"fuse.stuck", 0x2 | 0x4, options) != 0:
        sys.exit(f"mount: {os.strerror(ctypes.get_errno())}")

    def reply(unique, body=b"", error=0):
        os.write(device, struct.pack("<IiQ", 16 + len(body), -error, unique) + body)

    while True:
        try:
            request = os.read(device, 1 << 20)
        except OSError:
            return  # unmounted
        _, opcode, unique, node = IN_HEADER.unpack_from(request)[:4]
        data = request[IN_HEADER.size:]
        if opcode == INIT:
            major, minor, readahead = struct.unpack_from("<III", data)
            reply(unique, struct.pack("<IIIIHHIIHHI", 7, min(minor, 31), readahead, 0, 0, 0,
                                      4096, 1, 0, 0, 0) + bytes(28))
            print("mounted", flush=True)
        elif opcode == LOOKUP:
            if node == ROOT and data.rstrip(b"\0") == name:
                reply(unique, struct.pack("<QQQQII", FILE, 0, 3600, 3600, 0, 0) +
                      attributes(FILE, size))
            else:
                reply(unique, error=ENOENT)
        elif opcode == GETATTR:
            reply(unique, struct.pack("<QII", 3600, 0, 0) + attributes(node, size))
        elif opcode in (OPEN, OPENDIR):
            reply(unique, struct.pack("<QII", 0, 0, 0))
        elif opcode == READ and node == FILE:
            print("read pending", flush=True)  # and never answered
        elif opcode == READDIR:
            reply(unique)
        elif opcode in (RELEASE, RELEASEDIR, FLUSH):
            reply(unique)
        elif opcode == INTERRUPT:
            # The reader was killed: the read ends for it, as a share's client gives up on a
            # reader that is gone. Left waiting, the kernel would keep the dead reader's pages
            # locked, and it could never exit.
            (interrupted,) = struct.unpack_from("<Q", data)
            reply(interrupted, error=EINTR)
        elif opcode == DESTROY:
            pass  # no answer is expected
        else:
            reply(unique, error=ENOSYS)


if __name__ == "__main__":
    main()
