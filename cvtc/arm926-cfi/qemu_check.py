#!/usr/bin/env python3
"""Runs the arm926-cfi target component on QEMU's versatilepb and checks its
answers and the flash file it leaves. Usage: qemu_check.py ELF

QEMU listens for GDB on a free loopback port; this script speaks the GDB
remote protocol to load the component and exchange messages, as the host does."""

import os
import random
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

FLASH_BASE = 0x34000000
FLASH_SIZE = 64 << 20
BLOCK = 256 << 10
HEADER = 32
CAPACITY = 32700


def checksum(data):
    total = sum(data)
    while total > 0xFFFF:
        total = (total & 0xFFFF) + (total >> 16)
    return total


def read_elf(path):
    """Entry, PT_LOAD segments as (physical address, bytes), symbols by name."""
    data = open(path, 'rb').read()
    assert data[:6] == b'\x7fELF\x01\x01', 'not a 32-bit little-endian ELF'
    entry, phoff, shoff = struct.unpack_from('<III', data, 24)
    phentsize, phnum, shentsize, shnum = struct.unpack_from('<HHHH', data, 42)
    segments = []
    for i in range(phnum):
        kind, offset, _, paddr, filesz = struct.unpack_from('<5I', data, phoff + i * phentsize)
        if kind == 1:
            segments.append((paddr, data[offset:offset + filesz]))
    sections = [struct.unpack_from('<10I', data, shoff + i * shentsize) for i in range(shnum)]
    symbols = {}
    for section in sections:
        if section[1] == 2:  # SHT_SYMTAB
            names = sections[section[6]][4]
            for at in range(section[4], section[4] + section[5], 16):
                name, value, size = struct.unpack_from('<III', data, at)
                end = data.index(b'\0', names + name)
                symbols[data[names + name:end].decode()] = (value, size)
    return entry, segments, symbols


class Gdb:
    """The GDB remote protocol, as far as loading and running a program needs it."""

    def __init__(self, port, deadline=20.0):
        give_up = time.monotonic() + deadline
        while True:
            try:
                self.sock = socket.create_connection(('127.0.0.1', port), timeout=120)
                self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                break
            except OSError:
                if time.monotonic() > give_up:
                    raise
                time.sleep(0.1)
        self.buffer = b''

    def _byte(self):
        while not self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise EOFError('QEMU closed the connection')
            self.buffer += chunk
        byte, self.buffer = self.buffer[:1], self.buffer[1:]
        return byte

    def command(self, payload):
        payload = payload.encode()
        self.sock.sendall(b'$%s#%02x' % (payload, sum(payload) & 0xFF))
        while self._byte() != b'+':
            pass
        while self._byte() != b'$':
            pass
        reply = b''
        while (byte := self._byte()) != b'#':
            reply += byte
        self._byte(), self._byte()
        self.sock.sendall(b'+')
        return reply.decode()

    def write(self, address, data):
        for at in range(0, len(data), 1024):
            part = data[at:at + 1024]
            assert self.command('M%x,%x:%s' % (address + at, len(part), part.hex())) == 'OK'

    def read(self, address, count):
        out = b''
        while len(out) < count:
            part = min(1024, count - len(out))
            out += bytes.fromhex(self.command('m%x,%x' % (address + len(out), part)))
        return out

    def run(self, how):
        reply = self.command(how)
        assert reply.startswith(('T05', 'S05')), reply


class Component:
    """The loaded component, stopped at doMessageProc."""

    def __init__(self, gdb, elf):
        entry, segments, self.symbols = read_elf(elf)
        self.gdb = gdb
        for address, data in segments:
            gdb.write(address, data)
        registers = gdb.command('g')  # r0 to r15 first, 8 hex digits each
        pc = struct.pack('<I', entry).hex()
        assert gdb.command('G' + registers[:15 * 8] + pc + registers[16 * 8:]) == 'OK'
        self.breakpoint = 'Z0,%x,4' % self.symbols['doMessageProc'][0]
        assert gdb.command(self.breakpoint) == 'OK'
        gdb.run('c')
        self.message = self.symbols['theMessage'][0]

    def resume(self):
        # Off the breakpoint by one step without it, then on to the next stop.
        assert self.gdb.command('z' + self.breakpoint[1:]) == 'OK'
        self.gdb.run('s')
        assert self.gdb.command(self.breakpoint) == 'OK'
        self.gdb.run('c')

    def exchange(self, command, params=(), data=b'', answer_data=0):
        params = list(params) + [0] * (15 - len(params))
        self.gdb.write(self.message, struct.pack('>16H', command, *params) + data)
        self.resume()
        answer = self.gdb.read(self.message, HEADER + answer_data)
        words = struct.unpack('>16H', answer[:HEADER])
        assert words[0] == command, 'answer to %d carries command %d' % (command, words[0])
        return words[1:], answer[HEADER:]


def split32(value):
    return [value >> 16, value & 0xFFFF]


def check(component, image):
    """Runs the requests; `image` follows what the flash must hold."""
    failures = []

    def expect(what, got, want):
        if got != want:
            if isinstance(want, bytes):
                at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
                what, got, want = '%s from byte %d' % (what, at), got[at:at + 8], want[at:at + 8]
            failures.append('%s: got %r, want %r' % (what, got, want))

    answers = {code: component.exchange(code)[0] for code in (1, 4, 11, 14, 15, 16, 17)}
    expect('GetProtocolId', answers[1][0], 4)
    expect('GetFlashBase', answers[4][0] << 16 | answers[4][1], FLASH_BASE)
    expect('GetFlashSize', answers[11][0] << 16 | answers[11][1], FLASH_SIZE)
    expect('QueryEditSupport', answers[15][0], 1)
    expect('GetMaxBufferSize', answers[16][0], CAPACITY)
    expect('GetEraseEstimate in 1..3600 s', 1 <= answers[17][0] <= 3600, True)
    expect('unknown command answers no parameters', component.exchange(99, [7] * 15)[0], (0,) * 15)

    params, _ = component.exchange(3)
    expect('EraseFlash error word', params[14], 0)
    image[:] = b'\xff' * FLASH_SIZE

    rng = random.Random(1)
    # Crosses a block boundary, starts and ends inside bus words.
    writes = [(BLOCK - 1001, rng.randbytes(CAPACITY)), (0x123457, rng.randbytes(4097)),
              (0x123457 + 100, rng.randbytes(50)), (FLASH_SIZE - 7, rng.randbytes(20))]
    for offset, data in writes:
        params, _ = component.exchange(7, split32(offset) + [len(data)], data)
        expect('WriteFlash error word at %#x' % offset, params[14], 0)
        inside = data[:FLASH_SIZE - offset]
        # NOR: programming only clears bits.
        image[offset:offset + len(inside)] = bytes(a & b for a, b in zip(image[offset:], inside))

    for offset, count in ((BLOCK - 1001, CAPACITY), (0x123400, 8192), (FLASH_SIZE - 100, 100), (0, FLASH_SIZE)):
        params, _ = component.exchange(9, split32(offset) + split32(count))
        expect('GetChecksum %#x+%#x' % (offset, count), params[0], checksum(image[offset:offset + count]))
    params, data = component.exchange(6, split32(FLASH_SIZE - 16) + [32], answer_data=32)
    expect('ReadFlash past the end', data, bytes(image[-16:]) + b'\xff' * 16)
    params, data = component.exchange(6, split32(0x123450) + [CAPACITY], answer_data=CAPACITY)
    expect('ReadFlash', data, bytes(image[0x123450:0x123450 + CAPACITY]))

    offsets = [0, 0x1234, FLASH_SIZE - 1]
    _, data = component.exchange(18, [len(offsets)], struct.pack('>3I', *offsets), answer_data=12)
    expect('TranslateAddresses', struct.unpack('>3I', data), tuple(FLASH_BASE + o for o in offsets))

    component.exchange(10, [5], b'hello')
    component.exchange(10, [3], b'abc')
    read = component.gdb.read
    length = struct.unpack('<I', read(component.symbols['theUserDataLength'][0], 4))[0]
    expect('theUserData', read(component.symbols['theUserData'][0], length), b'helloabc')
    return failures


def check_read_only(component):
    """A flash that refuses erase and programming: the errors must show."""
    failures = []
    params, _ = component.exchange(3)
    if params[14] != 0x20:
        failures.append('EraseFlash on a read-only flash: error word %#x, want 0x20 (erase error)' % params[14])
    data = bytes(range(16))
    params, _ = component.exchange(7, split32(0x1000) + [len(data)], data)
    if params[14] != 0x10:
        failures.append('WriteFlash on a read-only flash: error word %#x, want 0x10 (program error)' % params[14])
    # Matching neither the data nor what the flash holds, the checksum fails any verification.
    params, _ = component.exchange(9, split32(0x1000) + split32(len(data)))
    if params[0] in (checksum(data), checksum(b'\xff' * len(data))):
        failures.append('GetChecksum after a failed write matches the data or the flash')
    return failures


class Qemu:
    """versatilepb with the flash file, stopped, its GDB stub on a free loopback port."""

    def __init__(self, qemu, flash_file, read_only=False):
        with socket.socket() as probe:
            probe.bind(('127.0.0.1', 0))
            self.port = probe.getsockname()[1]
        drive = 'if=pflash,format=raw,file=' + flash_file + (',readonly=on' if read_only else '')
        self.process = subprocess.Popen([qemu, '-M', 'versatilepb', '-m', '128M', '-nographic', '-monitor', 'none',
                                         '-serial', 'none', '-audiodev', 'none,id=silent', '-S',
                                         '-gdb', 'tcp:127.0.0.1:%d' % self.port, '-drive', drive])

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        os.kill(self.process.pid, signal.SIGTERM)
        self.process.wait(timeout=30)


def main():
    qemu = shutil.which('qemu-system-arm')
    if qemu is None:
        print('qemu-system-arm not found: skipped')
        return 77
    with tempfile.TemporaryDirectory() as folder:
        flash_file = os.path.join(folder, 'flash.bin')
        with open(flash_file, 'wb') as f:
            f.truncate(FLASH_SIZE)  # zeros: the erase must reach the file
        image = bytearray(FLASH_SIZE)
        with Qemu(qemu, flash_file) as machine:
            programs = check(Component(Gdb(machine.port), sys.argv[1]), image)
        if open(flash_file, 'rb').read() != image:
            programs.append('the flash file differs from what was erased and written')
        with open(flash_file, 'r+b') as f:
            f.seek(0x1000)
            f.write(b'\xff' * 16)
        with Qemu(qemu, flash_file, read_only=True) as machine:
            errors = check_read_only(Component(Gdb(machine.port), sys.argv[1]))
    for failure in programs + errors:
        print('FAILED:', failure)
    failed = bool(programs) + bool(errors)
    print('%d passed, %d failed' % (2 - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
