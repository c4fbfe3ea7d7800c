// Corvane's bridge to TI's Debug Server Scripting (DSS), run as
//   dss.sh corvane-ccs-bridge.js
// It reads one JSON request a line from standard input and answers one JSON
// line each on the original standard output (docs/ccs-bridge.md). Everything
// else printed through Java's System.out or Rhino's print goes to standard
// error. Every decision stays with Corvane: this only calls DSS.

importPackage(Packages.com.ti.debug.engine.scripting);
importPackage(Packages.com.ti.ccstudio.scripting.environment);

var answers = new java.io.PrintStream(new java.io.FileOutputStream(java.io.FileDescriptor.out), true, "UTF-8");
java.lang.System.setOut(java.lang.System.err);

var requests = new java.io.BufferedReader(new java.io.InputStreamReader(java.lang.System["in"], "UTF-8"));
var PAGES = [Memory.Page.PROGRAM, Memory.Page.DATA, Memory.Page.IO];

var bridge = {
    env: null,
    server: null,
    session: null,
    callTimeoutMs: 0,
    timeoutMs: 0,
    closed: false
};

function send(answer) {
    answers.print(JSON.stringify(answer) + "\n");
    answers.flush();
}

function useTimeout(ms) {
    bridge.env.setScriptTimeout(ms);
    bridge.timeoutMs = ms;
}

// The words of what DSS threw: a Java exception's message, else the script error's.
function wordsOf(error) {
    if (error && error.javaException) {
        var message = error.javaException.getMessage();
        return String(message === null ? error.javaException : message);
    }
    return String(error && error.message !== undefined ? error.message : error);
}

function escapeRegex(text) {
    return String(text).replace(/[.*+?^${}()|[\]\\]/g, "\\$&");
}

function toHex(values, bits) {
    var digits = bits / 4;
    var text = "";
    for (var i = 0; i < values.length; ++i) {
        var value = Number(values[i]) % Math.pow(2, bits);
        if (value < 0)
            value += Math.pow(2, bits);
        var hex = value.toString(16);
        text += new Array(digits - hex.length + 1).join("0") + hex;
    }
    return text;
}

function fromHex(text, bits) {
    var digits = bits / 4;
    if (text.length % digits !== 0 || /[^0-9a-fA-F]/.test(text))
        throw new Error("hex: " + text.length + " characters that are not " + digits + "-digit values");
    var values = [];
    for (var i = 0; i < text.length; i += digits)
        values.push(parseInt(text.substr(i, digits), 16));
    return values;
}

// The DSS page of a request; cores without pages (page null) take the default, PROGRAM.
function page(request) {
    if (request.page === null)
        return Memory.Page.PROGRAM;
    if (PAGES[request.page] === undefined)
        throw new Error("page " + request.page + " is not 0, 1, 2 or null");
    return PAGES[request.page];
}

var operations = {
    open: function (request) {
        bridge.env = ScriptingEnvironment.instance();
        bridge.callTimeoutMs = request.callTimeoutMs;
        useTimeout(request.startTimeoutMs);
        bridge.server = bridge.env.getServer("DebugServer.1");
        bridge.server.setConfig(request.ccxml);
        bridge.session = bridge.server.openSession(".*" + escapeRegex(request.core) + ".*");
        bridge.session.target.connect();
        useTimeout(bridge.callTimeoutMs);
        return {core: String(bridge.session.getName())};
    },
    load: function (request) {
        bridge.session.memory.loadProgram(request.path);
        return {};
    },
    symbol: function (request) {
        var known = bridge.session.symbol.exists(request.name);
        return {address: known ? Number(bridge.session.symbol.getAddress(request.name)) : null};
    },
    breakpointAdd: function (request) {
        return {handle: Number(bridge.session.breakpoint.add(request.location))};
    },
    breakpointRemove: function (request) {
        bridge.session.breakpoint.remove(request.handle);
        return {};
    },
    run: function () {
        bridge.session.target.runAsynch();
        return {};
    },
    waitForHalt: function (request) {
        useTimeout(request.ms);
        var started = java.lang.System.currentTimeMillis();
        try {
            bridge.session.target.waitForHalt();
            return {halted: true};
        } catch (e) {
            if (java.lang.System.currentTimeMillis() - started >= request.ms)
                return {halted: false};
            throw e;
        } finally {
            useTimeout(bridge.callTimeoutMs);
        }
    },
    halt: function () {
        bridge.session.target.halt();
        return {};
    },
    read: function (request) {
        var values = bridge.session.memory.readData(page(request), request.address, request.bits, request.count);
        return {hex: toHex(values, request.bits)};
    },
    write: function (request) {
        var values = fromHex(request.hex, request.bits);
        bridge.session.memory.writeData(page(request), request.address, values, request.bits);
        return {};
    },
    pc: function () {
        return {pc: Number(bridge.session.memory.readRegister("PC"))};
    },
    close: function () {
        shutDown();
        bridge.closed = true;
        return {};
    }
};

// Disconnects and stops the debugger; what fails on the way no longer matters.
function shutDown() {
    try {
        if (bridge.session !== null)
            bridge.session.target.disconnect();
    } catch (e) {
        java.lang.System.err.println("disconnect: " + wordsOf(e));
    }
    try {
        if (bridge.server !== null)
            bridge.server.stop();
    } catch (e) {
        java.lang.System.err.println("stop: " + wordsOf(e));
    }
    bridge.session = bridge.server = null;
}

function answer(line) {
    var request;
    try {
        request = JSON.parse(line);
    } catch (e) {
        return {id: 0, error: "not a JSON request: " + line, timeout: false};
    }
    var operation = operations[request.op];
    if (operation === undefined)
        return {id: request.id, error: "unknown operation " + request.op, timeout: false};
    if (request.op !== "open" && request.op !== "close" && bridge.session === null)
        return {id: request.id, error: "no debug session is open", timeout: false};
    var started = java.lang.System.currentTimeMillis();
    try {
        return {id: request.id, result: operation(request)};
    } catch (e) {
        var elapsed = java.lang.System.currentTimeMillis() - started;
        return {id: request.id, error: wordsOf(e), timeout: bridge.timeoutMs > 0 && elapsed >= bridge.timeoutMs};
    }
}

send({id: 0, result: {bridge: "dss", protocol: 1}});
for (var line = requests.readLine(); line !== null; line = requests.readLine()) {
    send(answer(String(line)));
    if (bridge.closed)
        java.lang.System.exit(0);
}
shutDown();
java.lang.System.exit(0);
