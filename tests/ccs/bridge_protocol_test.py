#!/usr/bin/env python3
"""One table of requests and answers run through a ccs bridge and its API double.

Usage: bridge_protocol_test.py SOURCE_DIR dss|scripting [unittest arguments]
Each session starts the bridge as Corvane does, in the fake CCS root
(tests/ccs/fake-ccs), and checks every answer line; any line that is not the
expected JSON answer (noise on the channel) fails the session. Then checks
that the doubles refuse wrong arguments as the APIs do.
"""

import json
import os
import subprocess
import sys
import tempfile
import time
import unittest

SOURCE = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))
API = sys.argv[2] if len(sys.argv) > 2 else "dss"
ROOT = os.path.join(SOURCE, "tests", "ccs", "fake-ccs")
SITE = os.path.join(ROOT, "ccs", "scripting", "python", "site-packages")


def bridge_command():
    if API == "dss":
        return [os.path.join(ROOT, "ccs", "ccs_base", "scripting", "bin", "dss.sh"),
                os.path.join(SOURCE, "bridges", "corvane-ccs-bridge.js")]
    return [sys.executable, os.path.join(SOURCE, "bridges", "corvane-ccs-bridge.py"), SITE]


CORES = {
    "28x": "Texas Instruments XDS110 USB Debug Probe_0/C28xx_CPU1 28x",
    "55x": "Spectrum Digital XDS510USB Emulator_0/C55xx 55x",
    "64x": "Blackhawk XDS560v2-USB Mezzanine Emulator_0/TMS320C6416 64x big",
    "ARM9": "Texas Instruments XDS100v2 USB Debug Probe_0/ARM9_0 ARM9",
}
# theMessage (data page units), doMessageProc (program page units), buffer 256, GetFlashBase 0x100000.
# The data page: 1, or null on cores without memory pages.
PAGE = {"28x": 1, "55x": 1, "64x": None, "ARM9": None}
PROGRAMS = {
    "28x": (0x8000, 0x3F0010),
    "55x": (0x4000, 0x20010),
    "64x": (0x10000, 0x80000010),
    "ARM9": (0x10000, 0x00008010),
}


class Any:
    """Any value; kept under `name` for later requests."""

    def __init__(self, name):
        self.name = name


class Ends:
    """No answer: the bridge process ends."""


class Error:
    """An error answer whose text holds `words`, with the given timeout flag."""

    def __init__(self, words="", timeout=False):
        self.words = words
        self.timeout = timeout


def exchange(message, unit_hex, bits, answer_hex, core="28x"):
    """Request `message` (hex) in theMessage, resume, wait for the halt and read `answer_hex` back."""
    at = PROGRAMS[core][0]
    return [
        ({"op": "write", "address": at, "page": PAGE[core], "bits": bits, "hex": message}, {}),
        ({"op": "run"}, {}),
        ({"op": "waitForHalt", "ms": 2000}, {"halted": True}),
        ({"op": "read", "address": at, "page": PAGE[core], "bits": bits, "count": len(answer_hex) // unit_hex},
         {"hex": answer_hex}),
    ]


def opened(core="28x", **extra):
    request = {"op": "open", "ccxml": "CCXML", "core": CORES[core].split("/")[1].split()[0],
               "callTimeoutMs": 2000, "startTimeoutMs": 10000}
    request.update(extra)
    return request


def started(core="28x"):
    message, proc = PROGRAMS[core]
    return [
        (opened(core), {"core": CORES[core].rsplit(" ", 2 if CORES[core].endswith("big") else 1)[0]}),
        ({"op": "load", "path": "PROGRAM"}, {}),
        ({"op": "symbol", "name": "theMessage"}, {"address": message}),
        ({"op": "breakpointAdd", "location": "doMessageProc"}, {"handle": Any("bp")}),
        ({"op": "run"}, {}),
        ({"op": "waitForHalt", "ms": 2000}, {"halted": True}),
        ({"op": "pc"}, {"pc": proc}),
    ]


CLOSE = [({"op": "close"}, {})]

# (name, core, fault, steps)
SESSIONS = [
    ("28x: symbols, exchanges, masking, errors, slices, halts", "28x", "", started("28x") + [
        ({"op": "symbol", "name": "noSuchSymbol"}, {"address": None}),
        *exchange("0010", 4, 16, "00100100"),
        ({"op": "read", "address": 0x8000, "page": 1, "bits": 32, "count": 1}, {"hex": "01000010"}),
        ({"op": "write", "address": 0x8001, "page": 1, "bits": 16, "hex": "ffff8001"}, {}),
        ({"op": "read", "address": 0x8001, "page": 1, "bits": 16, "count": 2}, {"hex": "ffff8001"}),
        ({"op": "read", "address": 0x8000, "page": 1, "bits": 8, "count": 2}, Error("Trouble Reading")),
        ({"op": "read", "address": 0x100, "page": 1, "bits": 16, "count": 1}, Error("Trouble Reading")),
        ({"op": "write", "address": 0x100, "page": 1, "bits": 16, "hex": "0001"}, Error("Trouble Writing")),
        ({"op": "write", "address": 0x8000, "page": 1, "bits": 16, "hex": "0003"}, {}),
        ({"op": "run"}, {}),
        ({"op": "waitForHalt", "ms": 100}, {"halted": False}),
        ({"op": "waitForHalt", "ms": 100}, {"halted": False}),
        ({"op": "waitForHalt", "ms": 2000}, {"halted": True}),
        ({"op": "write", "address": 0x8000, "page": 1, "bits": 16, "hex": "0003"}, {}),
        ({"op": "run"}, {}),
        ({"op": "halt"}, {}),
        ({"op": "pc"}, {"pc": 0x3F0012}),
        ({"op": "run"}, {}),
        ({"op": "waitForHalt", "ms": 2000}, {"halted": True}),
        ({"op": "pc"}, {"pc": 0x3F0010}),
        ({"op": "breakpointRemove", "handle": "$bp"}, {}),
        ({"op": "run"}, {}),
        ({"op": "waitForHalt", "ms": 100}, {"halted": False}),
        ({"op": "halt"}, {}),
    ] + CLOSE),
    ("55x: data in words, pc in bytes, big-endian pairs", "55x", "", started("55x") + [
        *exchange("0004", 4, 16, "000400100000", "55x"),
        ({"op": "read", "address": 0x4001, "page": 1, "bits": 32, "count": 1}, {"hex": "00100000"}),
    ] + CLOSE),
    ("64x big-endian: bytes", "64x", "", started("64x") + [
        *exchange("0010", 2, 8, "00100100", "64x"),
        ({"op": "read", "address": 0x10000, "page": None, "bits": 32, "count": 1}, {"hex": "00100100"}),
        ({"op": "read", "address": 0x10000, "page": 1, "bits": 32, "count": 1}, Error("DATA")),
    ] + CLOSE),
    ("ARM9 little-endian: bytes", "ARM9", "", started("ARM9") + [
        *exchange("0010", 2, 8, "00100100", "ARM9"),
        ({"op": "read", "address": 0x10000, "page": None, "bits": 16, "count": 2}, {"hex": "10000001"}),
    ] + CLOSE),
    ("no core of that name", "28x", "", [(opened(core="55x"), Error("No core matches"))]),
    ("configure refused", "28x", "configure", [(opened(), Error("configuration refused"))]),
    ("connect refused", "28x", "connect", [(opened(), Error("not powered"))]),
    ("no core matches", "28x", "no-core", [(opened(), Error("No core matches"))]),
    ("debugger start too slow", "28x", "start-slow", [(opened(startTimeoutMs=300), Error(timeout=True))]),
    ("program load refused", "28x", "load", [(opened(), {"core": Any("core")}),
                                             ({"op": "load", "path": "PROGRAM"}, Error("could not be loaded"))]),
    ("symbol missing", "28x", "symbol", [(opened(), {"core": Any("core")}), ({"op": "load", "path": "PROGRAM"}, {}),
                                         ({"op": "symbol", "name": "theMessage"}, {"address": None})]),
    ("memory write refused mid-run", "28x", "write:2", started() + [
        ({"op": "write", "address": 0x8000, "page": 1, "bits": 16, "hex": "0010"}, {}),
        ({"op": "write", "address": 0x8000, "page": 1, "bits": 16, "hex": "0010"}, Error("Trouble Writing"))]),
    ("target never halts", "28x", "never-halt:2", started() + [
        ({"op": "write", "address": 0x8000, "page": 1, "bits": 16, "hex": "0010"}, {}),
        ({"op": "run"}, {}),
        ({"op": "waitForHalt", "ms": 200}, {"halted": False}),
        ({"op": "halt"}, {})] + CLOSE),
    ("debugger dies mid-run", "28x", "die:2", started() + [
        ({"op": "run"}, Error("Lost the connection")),
        ({"op": "pc"}, Error())]),
    ("debugger takes the bridge down mid-run", "28x", "crash:2", started() + [({"op": "run"}, Ends())]),
    ("noise on standard output", "28x", "noise", started() + exchange("0001", 4, 16, "00010004") + CLOSE),
]


def data_words(hex_words, answer=None):
    """Writes the data area of theMessage on the 28x (or reads it back when `answer` is given)."""
    if answer is not None:
        return [({"op": "read", "address": 0x8010, "page": 1, "bits": 16, "count": len(answer) // 4}, {"hex": answer})]
    return [({"op": "write", "address": 0x8010, "page": 1, "bits": 16, "hex": hex_words}, {})]


# WriteFlash, ReadFlash, GetChecksum and TranslateAddresses on the 28x, after started().
FLASH_STEPS = (data_words("a5a5ff00") + exchange("0007000000000004", 4, 16, "0007000000000000")
               + exchange("0006000000000004", 4, 16, "0006000000000000") + data_words("", "a5a5ff00")
               + exchange("00090000000000000006", 4, 16, "00090447")
               + data_words("00000010") + exchange("00120001", 4, 16, "00120000") + data_words("", "00100010"))


class Session:
    """One bridge process in a fresh folder with the session's configuration and program files."""

    def __init__(self, folder, core, fault):
        self.files = Session.write_files(folder, core)
        self.state = os.path.join(folder, "state")
        env = dict(os.environ, CORVANE_FAKE_CCS_FAULT=fault, CORVANE_FAKE_CCS_STATE=self.state)
        self.process = subprocess.Popen(bridge_command(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, env=env, cwd=folder, text=True)
        self.kept = {}
        self.next_id = 1

    @staticmethod
    def write_files(folder, core):
        """The target configuration and program files of a session on `core`."""
        message, proc = PROGRAMS[core]
        files = {"CCXML": os.path.join(folder, "board.ccxml"), "PROGRAM": os.path.join(folder, "component.prog")}
        with open(files["CCXML"], "w") as f:
            f.write("# fake target configuration\n%s\n" % CORES[core])
        with open(files["PROGRAM"], "w") as f:
            f.write("# corvane fake ccs program\ntheMessage = %#x\ndoMessageProc = %#x\nentry = %#x\nbuffer = 256\n"
                    "flash_base = 0x100000\nflash_size = 0x1000\nerase_ms = 1500\n" % (message, proc, proc - 0x10))
        return files

    def answer(self):
        line = self.process.stdout.readline()
        if not line:
            raise AssertionError("the bridge ended; its standard error:\n" + self.process.stderr.read())
        return json.loads(line)

    def ask(self, request, ends=False):
        request = {key: self.files.get(value, value) if isinstance(value, str) else value
                   for key, value in request.items()}
        request = {key: self.kept.get(value[1:]) if isinstance(value, str) and value.startswith("$") else value
                   for key, value in request.items()}
        request["id"] = self.next_id
        self.next_id += 1
        self.process.stdin.write(json.dumps(request) + "\n")
        self.process.stdin.flush()
        if ends:
            return self.process.stdout.readline()
        answer = self.answer()
        assert answer.get("id") == request["id"], (request, answer)
        return answer

    def servers(self):
        """Fake debug servers still running for this session."""
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/environ" % pid, "rb") as f:
                    mine = ("CORVANE_FAKE_CCS_STATE=" + self.state).encode() in f.read().split(b"\0")
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    if mine and b"fake_debug_server.py" in f.read():
                        found.append(pid)
            except OSError:
                pass
        return found

    def servers_after_end(self):
        """The fake debug servers left running a few seconds after the bridge ended."""
        deadline = time.monotonic() + 10
        while self.servers() and time.monotonic() < deadline:
            time.sleep(0.05)
        return self.servers()

    def end(self):
        """Closes standard input; returns the exit status."""
        self.process.stdin.close()
        try:
            return self.process.wait(timeout=30)
        finally:
            self.stop()

    def stop(self):
        self.process.kill()
        self.process.wait()
        for stream in (self.process.stdin, self.process.stdout, self.process.stderr):
            stream.close()


def expect(test, session, wanted, answer):
    if isinstance(wanted, Ends):
        test.assertEqual("", answer)
        return
    if isinstance(wanted, Error):
        test.assertIn("error", answer, answer)
        test.assertIn(wanted.words, answer["error"])
        test.assertEqual(wanted.timeout, answer["timeout"], answer)
        return
    test.assertIn("result", answer, answer)
    test.assertEqual(set(wanted), set(answer["result"]), answer)
    for key, value in wanted.items():
        if isinstance(value, Any):
            session.kept[value.name] = answer["result"][key]
        else:
            test.assertEqual(value, answer["result"][key], (key, answer))


class BridgeProtocolTest(unittest.TestCase):
    def test_sessions(self):
        for name, core, fault, steps in SESSIONS:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                session = Session(folder, core, fault)
                try:
                    self.assertEqual({"id": 0, "result": {"bridge": API, "protocol": 1}}, session.answer())
                    for request, wanted in steps:
                        expect(self, session, wanted, session.ask(request, isinstance(wanted, Ends)))
                    self.assertEqual(134 if isinstance(wanted, Ends) else 0, session.end())
                    self.assertEqual([], session.servers_after_end())
                finally:
                    session.stop()

    def test_flash_persists_and_killed_bridge_leaves_no_debugger(self):
        with tempfile.TemporaryDirectory() as folder:
            session = Session(folder, "28x", "")
            try:
                session.answer()
                for request, wanted in started() + FLASH_STEPS:
                    expect(self, session, wanted, session.ask(request))
            finally:
                session.stop()
            self.assertEqual([], session.servers_after_end())
            with open(os.path.join(session.state, "flash.bin"), "rb") as f:
                self.assertEqual(b"\xa5\xa5\xff\x00\xff\xff", f.read(6))


# Wrong arguments each double must refuse: (call, exception type) for the Python double...
PYTHON_REFUSALS = [
    (lambda ds, s: ds.openSession(5), TypeError),
    (lambda ds, s: ds.setScriptingTimeout(0), ValueError),
    (lambda ds, s: s.memory.read("0x8000@DATA", True), TypeError),
    (lambda ds, s: s.memory.read("0x8000@DATA", 1, 12), ValueError),
    (lambda ds, s: s.memory.read(-1, 1), ValueError),
    (lambda ds, s: s.memory.read("0x8000@NOPAGE", 1), Exception),
    (lambda ds, s: s.memory.write("0x8000@DATA", 0x10000, 16), ValueError),
    (lambda ds, s: s.memory.write("0x8000@DATA", [1.5], 16), TypeError),
    (lambda ds, s: s.memory.loadProgram("component.prog"), Exception),
    (lambda ds, s: s.target.run("no"), TypeError),
    (lambda ds, s: s.target.connect(), Exception),
    (lambda ds, s: s.symbols.getAddress(0x10), TypeError),
    (lambda ds, s: s.breakpoints.remove("1"), TypeError),
]
# ... and statements for the DSS double, each of which must throw.
DSS_REFUSALS = [
    'session.memory.readData("1", 0x8000, 16, 1)',
    "session.memory.readData(1, 0x8000, 12, 1)",
    "session.memory.readData(1, 0x8000, 16, -1)",
    "session.memory.writeData(1, 0x8000, [1.5], 16)",
    "session.memory.writeData(1, 0x8000, 1)",
    'env.setScriptTimeout("5")',
    'env.getServer("DebugServer.2")',
    'session.symbol.getAddress("noSuchSymbol")',
    "session.breakpoint.remove(99)",
    "session.target.connect()",
]


class DoubleStrictnessTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name
        self.files = Session.write_files(self.folder, "28x")

    @unittest.skipUnless(API == "scripting", "checks the CCS Scripting double")
    def test_python_double_refuses_wrong_arguments(self):
        sys.path.insert(0, SITE)
        from scripting import initScripting
        with self.assertRaises(ValueError):
            initScripting({"timeOut": 5})
        ds = initScripting({"suppressMessages": True, "timeout": 2000})
        self.addCleanup(ds.shutdown)
        ds.configure(self.files["CCXML"])
        session = ds.openSession("C28xx")
        session.target.connect()
        session.memory.loadProgram(self.files["PROGRAM"])
        for number, (call, error) in enumerate(PYTHON_REFUSALS):
            with self.subTest(number), self.assertRaises(error):
                call(ds, session)

    @unittest.skipUnless(API == "dss", "checks the DSS double")
    def test_dss_double_refuses_wrong_arguments(self):
        script = os.path.join(self.folder, "refusals.js")
        with open(script, "w") as f:
            f.write("var env = ScriptingEnvironment.instance();\n"
                    "var server = env.getServer('DebugServer.1');\n"
                    "server.setConfig(%s);\n"
                    "var session = server.openSession('.*C28xx.*');\n"
                    "session.target.connect();\n"
                    "session.memory.loadProgram(%s);\n"
                    "print('value ' + session.memory.readData(1, 0x8000, 16));\n"
                    % (json.dumps(self.files["CCXML"]), json.dumps(self.files["PROGRAM"])))
            for statement in DSS_REFUSALS:
                f.write("try { %s; print('accepted: ' + %s); } catch (e) { print('refused'); }\n"
                        % (statement, json.dumps(statement)))
            f.write("server.stop();\n")
        dss = os.path.join(ROOT, "ccs", "ccs_base", "scripting", "bin", "dss.sh")
        out = subprocess.run([dss, script], capture_output=True, text=True, timeout=60).stdout.split("\n")
        self.assertEqual(["value 0"] + ["refused"] * len(DSS_REFUSALS), [line for line in out if line and " started" not in line])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[3:])
