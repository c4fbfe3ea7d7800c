"""Corvane's bridge to CCS Scripting (docs/ccs-bridge.md).

Usage: python3 corvane-ccs-bridge.py SITE_PACKAGES
SITE_PACKAGES is <CCS>/ccs/scripting/python/site-packages. Requests come one a
line on standard input, answers go one a line to the original standard output;
everything else that prints goes to standard error. Corvane decides; this
bridge only turns each request into the debugger's calls.
"""
import json
import os
import signal
import sys

PAGES = {0: "PROGRAM", 1: "DATA", 2: "IO"}


def answer_channel():
    """Keeps the original standard output for the answers and sends file
    descriptor 1 (print, the debugger, GEL output) to standard error."""
    answers = os.fdopen(os.dup(1), "w", encoding="utf-8", newline="\n")
    os.dup2(2, 1)
    sys.stdout = sys.stderr
    return answers


class Bridge:
    def __init__(self, answers, scripting):
        self.answers = answers
        self.scripting = scripting
        self.ds = None
        self.session = None
        self.call_timeout_ms = None
        self.breakpoints = {}
        self.next_handle = 1

    def send(self, message):
        self.answers.write(json.dumps(message, separators=(",", ":")) + "\n")
        self.answers.flush()

    # --- operations ----------------------------------------------------------

    def op_open(self, r):
        self.call_timeout_ms = int(r["callTimeoutMs"])
        self.ds = self.scripting.initScripting({"suppressMessages": True, "timeout": int(r["startTimeoutMs"])})
        self.ds.configure(r["ccxml"])
        self.session = self.ds.openSession(r["core"])
        self.session.target.connect()
        self.ds.setScriptingTimeout(self.call_timeout_ms)
        return {"core": self.session.getName()}

    def op_load(self, r):
        self.session.memory.loadProgram(r["path"])
        return {}

    def op_symbol(self, r):
        address = self.session.symbols.getAddress(r["name"])
        return {"address": None if address is None else int(address)}

    def op_breakpointAdd(self, r):
        handle = self.next_handle
        self.breakpoints[handle] = self.session.breakpoints.add(r["location"])
        self.next_handle += 1
        return {"handle": handle}

    def op_breakpointRemove(self, r):
        self.session.breakpoints.remove(self.breakpoints.pop(int(r["handle"])))
        return {}

    def op_run(self, r):
        self.session.target.run(False)
        return {}

    def op_waitForHalt(self, r):
        self.ds.setScriptingTimeout(max(1, int(r["ms"])))
        try:
            self.session.target.waitForHalt()
            return {"halted": True}
        except self.scripting.ScriptingTimeoutError:
            return {"halted": False}
        finally:
            self.ds.setScriptingTimeout(self.call_timeout_ms)

    def op_halt(self, r):
        self.session.target.halt()
        return {}

    def location(self, r):
        page = r.get("page")
        return int(r["address"]) if page is None else "0x%x@%s" % (int(r["address"]), PAGES[int(page)])

    def op_read(self, r):
        bits = int(r["bits"])
        values = self.session.memory.read(self.location(r), int(r["count"]), bits)
        mask = (1 << bits) - 1
        return {"hex": "".join("%0*x" % (bits // 4, int(v) & mask) for v in values)}

    def op_write(self, r):
        bits = int(r["bits"])
        digits = bits // 4
        text = r["hex"]
        values = [int(text[i:i + digits], 16) for i in range(0, len(text), digits)]
        self.session.memory.write(self.location(r), values, bits)
        return {}

    def op_pc(self, r):
        return {"pc": int(self.session.registers.read("PC")) & 0xFFFFFFFF}

    def op_close(self, r):
        self.shutdown()
        return {}

    # --- the loop ------------------------------------------------------------

    def shutdown(self):
        """Disconnects and shuts the debugger down; each step is tried once."""
        ds, session = self.ds, self.session
        self.ds = self.session = None
        for step in (lambda: session and session.target.disconnect(),
                     lambda: ds and ds.deconfigure(),
                     lambda: ds and ds.shutdown()):
            try:
                step()
            except Exception as error:  # the debugger may be gone already
                print("corvane-ccs-bridge: %s" % error, file=sys.stderr)

    def handle(self, line):
        try:
            request = json.loads(line)
            rid = request["id"]
        except (ValueError, KeyError, TypeError) as error:
            print("corvane-ccs-bridge: not a request: %r (%s)" % (line, error), file=sys.stderr)
            return True
        operation = getattr(self, "op_" + str(request.get("op")), None)
        if operation is None:
            self.send({"id": rid, "error": "unknown operation %s" % request.get("op"), "timeout": False})
            return True
        try:
            self.send({"id": rid, "result": operation(request)})
        except Exception as error:
            timeout = isinstance(error, getattr(self.scripting, "ScriptingTimeoutError", ()))
            self.send({"id": rid, "error": str(error) or type(error).__name__, "timeout": timeout})
        return request.get("op") != "close"

    def serve(self):
        self.send({"id": 0, "result": {"bridge": "scripting", "protocol": 1}})
        try:
            for line in sys.stdin:
                if line.strip() and not self.handle(line):
                    return
        finally:
            self.shutdown()


def terminate(signum, frame):
    raise SystemExit(128 + signum)


def main():
    answers = answer_channel()
    if len(sys.argv) != 2:
        print("usage: corvane-ccs-bridge.py SITE_PACKAGES", file=sys.stderr)
        return 2
    # Corvane's end (SIGTERM through the parent-death signal) still shuts the debugger down.
    signal.signal(signal.SIGTERM, terminate)
    sys.path.insert(0, sys.argv[1])
    import scripting
    Bridge(answers, scripting).serve()
    return 0


if __name__ == "__main__":
    sys.exit(main())
