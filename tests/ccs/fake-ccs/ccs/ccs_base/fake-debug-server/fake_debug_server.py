#!/usr/bin/env python3
"""The fake CCS debug server: one processor running a protocol-4 target component with NOR flash.

Both API doubles (the `scripting` package and the DSS environment) start this
program as their debug server and speak JSON lines with it on its standard
input and output: a request {"op": NAME, ...} gets {"ok": VALUE} or
{"error": TEXT}. End of input ends it. tests/ccs/README.md describes the
target configuration and program files, the state folder and the faults.
"""

import json
import os
import re
import sys
import time

HEADER = 32
PARAMS = 15
DATA_CAPACITY = 32700
PROGRAM_MAGIC = "# corvane fake ccs program"


class Core:
    """A sub-family's addressing: bytes per address unit on each memory page, byte order, default value width.

    Cores without memory pages (C6000, ARM) have one space, reached as the default page PROGRAM."""

    KINDS = {
        # name: (program unit, data unit or None without pages, flash offset unit, little-endian by default, bits)
        "28x": (2, 2, 2, True, 16),
        "55x": (1, 2, 1, False, 16),
        "64x": (1, None, 1, True, 32),
        "ARM9": (1, None, 1, True, 32),
    }

    def __init__(self, name, kind, little):
        self.name = name
        self.kind = kind
        program, data, offset, default_little, bits = Core.KINDS[kind]
        self.units = {"PROGRAM": program} if data is None else {"PROGRAM": program, "DATA": data, "IO": data}
        self.data_page = "PROGRAM" if data is None else "DATA"
        self.offset_unit = offset
        self.little = default_little if little is None else little
        self.default_bits = bits


def parse_ccxml(path):
    """Target configuration: one core a line, `FULL NAME SUBFAMILY [little|big]`; '#' starts a comment."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().splitlines()
    except OSError as e:
        raise Failure("Could not open target configuration %s: %s" % (path, e.strerror))
    cores = []
    for number, line in enumerate(lines, 1):
        words = line.split("#", 1)[0].split()
        if not words:
            continue
        little = None
        if words[-1] in ("little", "big"):
            little = words.pop() == "little"
        if len(words) < 2 or words[-1] not in Core.KINDS:
            raise Failure("Target configuration %s, line %d: not a core line" % (path, number))
        cores.append(Core(" ".join(words[:-1]), words[-1], little))
    if not cores:
        raise Failure("Target configuration %s holds no core" % path)
    return cores


def parse_number(text):
    return int(text, 0)


class Program:
    """A fake program file: `key = value` lines after the magic first line."""

    KEYS = {"theMessage", "doMessageProc", "entry", "buffer", "flash_base", "flash_size",
            "erase_seconds", "erase_ms", "version", "protocol"}

    def __init__(self, path):
        try:
            with open(path, encoding="utf-8") as f:
                lines = f.read().splitlines()
        except (OSError, UnicodeDecodeError) as e:
            raise Failure("File %s could not be loaded: %s" % (path, getattr(e, "strerror", None) or e))
        if not lines or lines[0].strip() != PROGRAM_MAGIC:
            raise Failure("File %s is not a valid object file" % path)
        values = {}
        for number, line in enumerate(lines[1:], 2):
            text = line.split("#", 1)[0].strip()
            if not text:
                continue
            key, sep, value = (part.strip() for part in text.partition("="))
            if not sep or key not in Program.KEYS:
                raise Failure("File %s, line %d: bad line" % (path, number))
            values[key] = value
        try:
            self.symbols = {name: parse_number(values[name]) for name in ("theMessage", "doMessageProc") if name in values}
            self.entry = parse_number(values.get("entry", "0x100"))
            self.buffer = min(parse_number(values.get("buffer", "4096")), DATA_CAPACITY)
            self.flash_base = parse_number(values.get("flash_base", "0"))
            self.flash_size = parse_number(values.get("flash_size", "0x40000"))
            self.erase_seconds = parse_number(values.get("erase_seconds", "1"))
            self.erase_ms = parse_number(values.get("erase_ms", "0"))
            self.protocol = parse_number(values.get("protocol", "4"))
            major, _, minor = values.get("version", "1.0").partition(".")
            self.version = (int(major), int(minor or "0"))
        except ValueError:
            raise Failure("File %s: bad number" % path)


class Failure(Exception):
    """An error the debugger reports, in its words."""


class Crash(Exception):
    """The debugger takes the scripting process down with it."""


class Flash:
    """NOR flash: erase sets 0xFF, programming only clears bits; kept in STATE/flash.bin when a state folder is set."""

    def __init__(self, size, folder):
        self.path = os.path.join(folder, "flash.bin") if folder else None
        if folder:
            os.makedirs(folder, exist_ok=True)
        self.bytes = bytearray(b"\xff" * size)
        if self.path and os.path.exists(self.path):
            with open(self.path, "rb") as f:
                kept = f.read(size)
            self.bytes[:len(kept)] = kept
        self.userdata = os.path.join(folder, "userdata.bin") if folder else None

    def save(self):
        if self.path:
            with open(self.path + ".tmp", "wb") as f:
                f.write(self.bytes)
            os.replace(self.path + ".tmp", self.path)

    def erase(self):
        self.bytes[:] = b"\xff" * len(self.bytes)
        self.save()

    def program(self, offset, data):
        for i, byte in enumerate(data[:max(0, len(self.bytes) - offset)]):
            self.bytes[offset + i] &= byte
        self.save()

    def read(self, offset, count):
        inside = self.bytes[offset:offset + count] if offset < len(self.bytes) else b""
        return bytes(inside) + b"\xff" * (count - len(inside))

    def checksum(self, offset, count):
        total = sum(self.bytes[offset:offset + count])
        while total > 0xFFFF:
            total = (total & 0xFFFF) + (total >> 16)
        return total

    def keep_user_data(self, data):
        if self.userdata:
            with open(self.userdata, "ab") as f:
                f.write(data)


class Message:
    """The request in the message block; the answer is written over it (parameters cleared first)."""

    def __init__(self, block):
        self.block = block
        self.command = block[0] << 8 | block[1]
        self.words = [block[2 + 2 * i] << 8 | block[3 + 2 * i] for i in range(PARAMS)]
        block[2:HEADER] = bytes(HEADER - 2)

    def pair(self, index):
        return self.words[index] << 16 | self.words[index + 1]

    def data(self, count):
        return bytes(self.block[HEADER:HEADER + count])

    def answer(self, *words):
        for index, value in enumerate(words):
            self.block[2 + 2 * index:4 + 2 * index] = (value & 0xFFFF).to_bytes(2, "big")

    def answer_data(self, data):
        self.block[HEADER:HEADER + len(data)] = data


class Component:
    """The target component's answers; each returns how many milliseconds it runs."""

    def __init__(self, core, program, flash):
        self.core = core
        self.program = program
        self.flash = flash
        self.base = program.flash_base
        self.size = program.flash_size
        self.commands = {1: self.protocol, 3: self.erase, 4: self.get_base, 6: self.read, 7: self.write,
                         9: self.checksum, 10: self.user_data, 11: self.get_size, 12: self.set_base,
                         13: self.set_size, 14: self.version, 15: self.edit, 16: self.buffer,
                         17: self.erase_estimate, 18: self.translate}

    def answer(self, block):
        """Answers the request in `block` in place; other command words are echoed with no parameters."""
        message = Message(block)
        return self.commands.get(message.command, lambda m: 0)(message) or 0

    def count(self, requested):
        return min(requested, self.program.buffer)

    def offset(self, message):
        """The request's flash offset (words 0-1, in address units) in bytes."""
        return message.pair(0) * self.core.offset_unit

    def protocol(self, m): m.answer(self.program.protocol)
    def get_base(self, m): m.answer(self.base >> 16, self.base)
    def get_size(self, m): m.answer(self.size >> 16, self.size)
    def set_base(self, m): self.base = m.pair(0)
    def set_size(self, m): self.size = m.pair(0)
    def version(self, m): m.answer(*self.program.version)
    def edit(self, m): m.answer(1)
    def buffer(self, m): m.answer(self.program.buffer)
    def erase_estimate(self, m): m.answer(self.program.erase_seconds)
    def checksum(self, m): m.answer(self.flash.checksum(self.offset(m), m.pair(2)))
    def user_data(self, m): self.flash.keep_user_data(m.data(self.count(m.words[0])))
    def read(self, m): m.answer_data(self.flash.read(self.offset(m), self.count(m.words[2])))
    def write(self, m): self.flash.program(self.offset(m), m.data(self.count(m.words[2])))

    def erase(self, m):
        self.flash.erase()
        return self.program.erase_ms

    def translate(self, m):
        """Flash base plus each offset; a 55x component of protocol 4 keeps its base in words."""
        base = self.base << 1 if self.core.kind == "55x" and self.program.protocol == 4 else self.base
        count = min(m.words[0], self.program.buffer // 4)
        offsets = m.data(4 * count)
        m.answer_data(b"".join(((int.from_bytes(offsets[i:i + 4], "big") + base) & 0xFFFFFFFF).to_bytes(4, "big")
                               for i in range(0, len(offsets), 4)))


class Faults:
    """CORVANE_FAKE_CCS_FAULT: comma-separated `name` or `name:N` entries (tests/ccs/README.md)."""

    DEFAULTS = {"write": 3, "never-halt": 3, "die": 3, "crash": 3, "symbol": "theMessage"}

    def __init__(self, text):
        self.active = {}
        for entry in filter(None, (part.strip() for part in text.split(","))):
            name, _, value = entry.partition(":")
            default = Faults.DEFAULTS.get(name, 0)
            self.active[name] = (value or default) if isinstance(default, str) else int(value or default)

    def __contains__(self, name):
        return name in self.active

    def hits(self, name, counter):
        return name in self.active and self.active[name] == counter


class Processor:
    """The debugger's view of one core: connection, program, breakpoints, pc, run state, memory."""

    def __init__(self, faults, state_folder):
        self.faults = faults
        self.state_folder = state_folder
        self.cores = None
        self.core = None
        self.connected = False
        self.program = None
        self.component = None
        self.block = None
        self.breakpoints = {}
        self.next_breakpoint = 1
        self.pc = 0
        self.halted = True
        self.halt_at = None       # while running: when it halts (None: never)
        self.pending_ms = None    # halted inside the component: the rest of its answer
        self.runs = 0
        self.writes = 0

    # -- configuration and session
    def op_configure(self, ccxml):
        if self.cores is not None:
            raise Failure("The debugger is already configured; deconfigure it first")
        if "configure" in self.faults:
            raise Failure("Error connecting to the target: configuration refused (fake fault)")
        self.cores = parse_ccxml(ccxml)
        return [core.name for core in self.cores]

    def op_listCores(self):
        if self.cores is None:
            raise Failure("The debugger is not configured")
        return [core.name for core in self.cores]

    def op_deconfigure(self):
        self.cores = self.core = None
        self.connected = False
        return None

    def op_open(self, pattern):
        if self.cores is None:
            raise Failure("The debugger is not configured")
        matches = [] if "no-core" in self.faults else [c for c in self.cores if re.search(pattern, c.name)]
        if not matches:
            raise Failure("No core matches '%s'" % pattern)
        self.core = matches[0]
        return {"name": self.core.name, "kind": self.core.kind, "pages": sorted(self.core.units)}

    def op_connect(self):
        self.need_session()
        if self.connected:
            raise Failure("Target is already connected")
        if "connect" in self.faults:
            raise Failure("Error connecting to the target: the target is not powered (fake fault)")
        self.connected = True
        return None

    def op_disconnect(self):
        self.need_session()
        if not self.connected:
            raise Failure("Target is not connected")
        self.connected = False
        return None

    def op_isConnected(self):
        return self.connected

    def need_session(self):
        if self.core is None:
            raise Failure("No debug session is open")

    def need_connected(self):
        self.need_session()
        if not self.connected:
            raise Failure("Target is not connected")

    def need_halted(self):
        self.need_connected()
        self.settle()
        if not self.halted:
            raise Failure("Target is running: the operation needs a halted target")

    # -- program and symbols
    def op_load(self, path):
        self.need_halted()
        if "load" in self.faults:
            raise Failure("File %s could not be loaded: flash programming failed (fake fault)" % path)
        program = Program(path)
        self.program = program
        self.component = Component(self.core, program, Flash(program.flash_size, self.state_folder))
        self.block = bytearray(HEADER + program.buffer)
        self.pc = program.entry
        self.pending_ms = None
        self.runs = self.writes = 0
        return None

    def op_symbol(self, name):
        if self.program is None:
            raise Failure("No symbols are loaded")
        if self.faults.hits("symbol", name):
            return None
        return self.program.symbols.get(name)

    # -- breakpoints and registers
    def op_breakpointAdd(self, address):
        self.need_connected()
        handle = self.next_breakpoint
        self.next_breakpoint += 1
        self.breakpoints[handle] = address
        return handle

    def op_breakpointRemove(self, handle):
        if handle not in self.breakpoints:
            raise Failure("No breakpoint with id %d" % handle)
        del self.breakpoints[handle]
        return None

    def op_readRegister(self, name):
        self.need_halted()
        if name != "PC":
            raise Failure("Register %s not found" % name)
        return self.pc

    def op_writeRegister(self, name, value):
        self.need_halted()
        if name != "PC":
            raise Failure("Register %s not found" % name)
        self.pc = value
        self.pending_ms = None
        return None

    # -- execution
    def stops_at_message_proc(self):
        proc = self.program.symbols.get("doMessageProc") if self.program else None
        return proc is not None and proc in self.breakpoints.values()

    def op_run(self):
        self.need_connected()
        self.settle()
        if not self.halted:
            raise Failure("Target is already running")
        self.runs += 1
        if self.faults.hits("die", self.runs):
            os._exit(3)
        if self.faults.hits("crash", self.runs):
            raise Crash()
        self.halted = False
        self.halt_at = self.resume()
        return None

    def resume(self):
        """Runs the component from the pc; returns when it halts at doMessageProc (None: never)."""
        now = time.monotonic()
        if self.component is None or self.faults.active.get("never-halt", 0) and self.runs >= self.faults.active["never-halt"]:
            return None
        proc = self.program.symbols.get("doMessageProc")
        delay = 0
        if self.pending_ms is not None:
            delay, self.pending_ms = self.pending_ms, None
        elif self.pc == proc and "theMessage" in self.program.symbols:
            delay = self.component.answer(self.block)
        return now + delay / 1000.0 if self.stops_at_message_proc() else None

    def settle(self):
        if not self.halted and self.halt_at is not None and time.monotonic() >= self.halt_at:
            self.halted = True
            self.pc = self.program.symbols["doMessageProc"]

    def op_wait(self, ms):
        """Waits up to `ms` milliseconds (None: for ever) for a halt; says whether the target is halted."""
        self.need_connected()
        self.settle()
        if not self.halted:
            end = None if ms is None else time.monotonic() + ms / 1000.0
            until = self.halt_at if end is None else end if self.halt_at is None else min(end, self.halt_at)
            if until is None:
                while True:
                    time.sleep(3600)
            time.sleep(max(0.0, until - time.monotonic()))
            self.settle()
        return self.halted

    def op_halt(self):
        self.need_connected()
        self.settle()
        if not self.halted:
            if self.halt_at is not None:
                self.pending_ms = max(0, (self.halt_at - time.monotonic()) * 1000.0)
                self.pc = self.program.symbols["doMessageProc"] + 2
            elif self.program is not None:
                self.pc = self.program.entry + 2
            self.halted = True
        return None

    def op_isHalted(self):
        self.need_connected()
        self.settle()
        return self.halted

    # -- memory
    def span(self, page, address, bits, count, verb):
        """The block offset and byte length of an access, or a failure outside the message block."""
        if page not in self.core.units:
            raise Failure("Trouble %s Memory Block at 0x%x on Page %s: no such page" % (verb, address, page))
        unit = self.core.units[page]
        if bits % (8 * unit):
            raise Failure("Trouble %s Memory Block at 0x%x on Page %s: %d-bit values do not fit its %d-bit units"
                          % (verb, address, page, bits, 8 * unit))
        start = address * unit
        length = count * bits // 8
        base = self.program.symbols.get("theMessage", -1) * self.core.units[self.core.data_page] if self.program else -1
        if self.block is None or start < base or start + length > base + len(self.block):
            raise Failure("Trouble %s Memory Block at 0x%x on Page %s of Length 0x%x: no memory there"
                          % (verb, address, page, count))
        return start - base, length, unit

    def value_of(self, raw, unit):
        """A value from its memory bytes: units in the core's byte order, each 16-bit unit high byte first."""
        cells = [raw[i:i + unit] for i in range(0, len(raw), unit)]
        if self.core.little:
            cells.reverse()
        return int.from_bytes(b"".join(cells), "big")

    def bytes_of(self, value, length, unit):
        cells = [value.to_bytes(length, "big")[i:i + unit] for i in range(0, length, unit)]
        if self.core.little:
            cells.reverse()
        return b"".join(cells)

    def op_read(self, page, address, bits, count):
        self.need_halted()
        at, length, unit = self.span(page, address, bits, count, "Reading")
        size = bits // 8
        return [self.value_of(self.block[at + i:at + i + size], unit) for i in range(0, length, size)]

    def op_write(self, page, address, bits, values):
        self.need_halted()
        self.writes += 1
        if self.faults.hits("write", self.writes):
            raise Failure("Trouble Writing Memory Block at 0x%x on Page %s of Length 0x%x: "
                          "the target does not answer (fake fault)" % (address, page, len(values)))
        at, length, unit = self.span(page, address, bits, len(values), "Writing")
        size = bits // 8
        for i, value in enumerate(values):
            self.block[at + i * size:at + (i + 1) * size] = self.bytes_of(value & ((1 << bits) - 1), size, unit)
        return None


def serve(processor, source, sink):
    for line in source:
        request = json.loads(line)
        op = request.pop("op")
        try:
            answer = {"ok": getattr(processor, "op_" + op)(**request)}
        except Failure as e:
            answer = {"error": str(e)}
        except Crash:
            answer = {"crash": True}
        sink.write(json.dumps(answer) + "\n")
        sink.flush()
        if "crash" in answer:
            return


def main():
    faults = Faults(os.environ.get("CORVANE_FAKE_CCS_FAULT", ""))
    serve(Processor(faults, os.environ.get("CORVANE_FAKE_CCS_STATE")), sys.stdin, sys.stdout)


if __name__ == "__main__":
    main()
