// Test double of the DSS environment a script finds after
//   importPackage(Packages.com.ti.debug.engine.scripting);
//   importPackage(Packages.com.ti.ccstudio.scripting.environment);
// for the part a flash programmer uses, as TI's DSS API describes it:
// ScriptingEnvironment.instance(), getServer("DebugServer.1"), setConfig,
// openSession(regex), target, memory (readData/writeData/loadProgram/
// readRegister), symbol, breakpoint, setScriptTimeout, ScriptingException.
// A call with arguments no method takes fails as Rhino's method lookup does;
// what the debugger refuses, and a call that outlasts the script time-out,
// throw a ScriptingException. The processor is the fake debug server
// (../../fake-debug-server), a child process. See tests/ccs/README.md.

var fakeDss = (function () {
    var dir = String(java.lang.System.getenv("CORVANE_FAKE_DSS_DIR"));
    var serverPath = dir + "/../../fake-debug-server/fake_debug_server.py";
    var faults = {};
    String(java.lang.System.getenv("CORVANE_FAKE_CCS_FAULT") || "").split(",").forEach(function (entry) {
        var parts = entry.replace(/^\s+|\s+$/g, "").split(":");
        if (parts[0])
            faults[parts[0]] = parts.length > 1 ? parts[1] : "";
    });

    function scriptingException(text) {
        var error = new Error("com.ti.ccstudio.scripting.environment.ScriptingException: " + text);
        error.name = "JavaException";
        error.javaException = {
            getMessage: function () { return text; },
            toString: function () { return error.message; }
        };
        return error;
    }

    // Rhino's answer to a call no overload of the Java method takes.
    function noMethod(className, method, args) {
        var types = Array.prototype.map.call(args, function (a) { return typeof a; });
        return new Error("Can't find method com.ti." + className + "." + method + "(" + types.join(",") + ").");
    }

    // Rhino hands a Java method java.lang.String and JavaScript strings alike.
    function isString(value) {
        return typeof value === "string" || value instanceof java.lang.String;
    }

    function isWhole(value) {
        return typeof value === "number" && value % 1 === 0 && value >= 0;
    }

    function noise(where) {
        if ("noise" in faults) {
            print("fake DSS says: " + where);
            java.lang.System.out.println("GEL Output: fake GEL text during " + where);
            java.lang.System.out.flush();
        }
    }

    function Server() {
        var builder = new java.lang.ProcessBuilder("python3", serverPath);
        builder.redirectError(java.lang.ProcessBuilder.Redirect.INHERIT);
        var process = builder.start();
        var input = new java.io.BufferedWriter(new java.io.OutputStreamWriter(process.getOutputStream(), "UTF-8"));
        var output = new java.io.BufferedReader(new java.io.InputStreamReader(process.getInputStream(), "UTF-8"));
        var lost = false;
        this.call = function (op, args) {
            if (lost)
                throw scriptingException("The debug server is not running");
            var request = args || {};
            request.op = op;
            var line = null;
            try {
                input.write(JSON.stringify(request) + "\n");
                input.flush();
                line = output.readLine();
            } catch (e) {
                line = null;
            }
            if (line === null) {
                lost = true;
                throw scriptingException("Lost the connection to the debug server");
            }
            var answer = JSON.parse(String(line));
            if ("crash" in answer)
                java.lang.Runtime.getRuntime().halt(134);
            if ("error" in answer)
                throw scriptingException(answer.error);
            return answer.ok;
        };
        this.stop = function () {
            if (!lost) {
                lost = true;
                input.close();
                process.waitFor();
            }
        };
    }

    var environment = null;
    var PAGES = ["PROGRAM", "DATA", "IO"];

    function Environment() {
        var self = this;
        var timeoutMs = 0;
        var consoleLevel = "INFO";
        var server = null;
        this.setScriptTimeout = function (ms) {
            if (arguments.length !== 1 || !isWhole(ms))
                throw noMethod("ccstudio.scripting.environment.ScriptingEnvironment", "setScriptTimeout", arguments);
            timeoutMs = ms;
        };
        this.getScriptTimeout = function () { return timeoutMs; };
        this.traceSetConsoleLevel = function (level) {
            if (arguments.length !== 1 || !(level in TraceLevel))
                throw noMethod("ccstudio.scripting.environment.ScriptingEnvironment", "traceSetConsoleLevel", arguments);
            consoleLevel = level;
        };
        this.traceWrite = function (text) { self.say(String(text)); };
        this.say = function (text) {
            if (consoleLevel !== "OFF")
                java.lang.System.out.println(text);
        };
        this.getServer = function (name) {
            if (arguments.length !== 1 || !isString(name))
                throw noMethod("ccstudio.scripting.environment.ScriptingEnvironment", "getServer", arguments);
            if (name !== "DebugServer.1")
                throw scriptingException("Unknown server: " + name);
            if (server === null) {
                server = new DebugServer(self, new Server());
                self.say("DebugServer.1 started");
                noise("getServer");
            }
            return server;
        };
        // Waits for a halt within the script time-out (0: none).
        this.waitForHalt = function (call) {
            if (!call("wait", {ms: timeoutMs > 0 ? timeoutMs : null}))
                throw scriptingException("Script timed out after " + timeoutMs + " ms waiting for the target to halt");
        };
        this.slowStart = function () {
            var delay = Number(faults["start-slow"] || 3600000);
            java.lang.Thread.sleep(timeoutMs > 0 ? Math.min(timeoutMs, delay) : delay);
            if (timeoutMs > 0 && timeoutMs < delay)
                throw scriptingException("Script timed out after " + timeoutMs + " ms");
        };
    }

    function DebugServer(env, server) {
        var configured = false;
        this.setConfig = function (path) {
            if (arguments.length !== 1 || !isString(path))
                throw noMethod("debug.engine.scripting.DebugServer", "setConfig", arguments);
            if ("start-slow" in faults)
                env.slowStart();
            noise("setConfig");
            server.call("configure", {ccxml: String(path)});
            configured = true;
        };
        this.openSession = function (pattern) {
            if (arguments.length !== 1 || !isString(pattern))
                throw noMethod("debug.engine.scripting.DebugServer", "openSession", arguments);
            if (!configured)
                throw scriptingException("The debug server has no target configuration (setConfig)");
            return new DebugSession(env, server, server.call("open", {pattern: String(pattern)}));
        };
        this.stop = function () { server.stop(); };
    }

    function DebugSession(env, server, core) {
        var call = server.call;
        this.getName = function () { return core.name; };
        this.target = {
            connect: function () { noise("connect"); call("connect"); },
            disconnect: function () { call("disconnect"); },
            isConnected: function () { return call("isConnected"); },
            halt: function () { call("halt"); },
            isHalted: function () { return call("isHalted"); },
            runAsynch: function () { noise("runAsynch"); call("run"); },
            run: function () { call("run"); env.waitForHalt(call); },
            waitForHalt: function () { env.waitForHalt(call); }
        };
        this.memory = new MemoryObject(call);
        this.symbol = {
            getAddress: function (name) {
                if (arguments.length !== 1 || !isString(name))
                    throw noMethod("debug.engine.scripting.Symbol", "getAddress", arguments);
                var address = call("symbol", {name: String(name)});
                if (address === null)
                    throw scriptingException("Symbol not found: " + name);
                return address;
            },
            exists: function (name) {
                if (arguments.length !== 1 || !isString(name))
                    throw noMethod("debug.engine.scripting.Symbol", "exists", arguments);
                return call("symbol", {name: String(name)}) !== null;
            }
        };
        this.breakpoint = {
            add: function (location) {
                if (arguments.length !== 1 || !(isWhole(location) || isString(location)))
                    throw noMethod("debug.engine.scripting.Breakpoint", "add", arguments);
                var address = location;
                if (isString(location)) {
                    location = String(location);
                    address = /^\s*\d/.test(location) ? Number(location) : call("symbol", {name: location});
                    if (address === null || isNaN(address))
                        throw scriptingException("Cannot set a breakpoint at '" + location + "'");
                }
                return call("breakpointAdd", {address: address});
            },
            remove: function (id) {
                if (arguments.length !== 1 || !isWhole(id))
                    throw noMethod("debug.engine.scripting.Breakpoint", "remove", arguments);
                call("breakpointRemove", {handle: id});
            }
        };
    }

    function MemoryObject(call) {
        function checkAccess(method, args, page, address, typeSize) {
            if (!isWhole(page) || !isWhole(address) || [8, 16, 32, 64].indexOf(typeSize) < 0)
                throw noMethod("debug.engine.scripting.Memory", method, args);
            if (page >= PAGES.length)
                throw scriptingException("Invalid memory page " + page);
        }
        // readData(page, address, typeSize): one value; with numValues (and bSigned): an array.
        this.readData = function (page, address, typeSize, numValues, signed) {
            var count = arguments.length >= 4 ? numValues : 1;
            checkAccess("readData", arguments, page, address, typeSize);
            if (arguments.length < 3 || arguments.length > 5 || !isWhole(count)
                || (arguments.length === 5 && typeof signed !== "boolean"))
                throw noMethod("debug.engine.scripting.Memory", "readData", arguments);
            var values = call("read", {page: PAGES[page], address: address, bits: typeSize, count: count});
            if (signed === true)
                values = values.map(function (v) { return v >= Math.pow(2, typeSize - 1) ? v - Math.pow(2, typeSize) : v; });
            return arguments.length === 3 ? values[0] : values;
        };
        // writeData(page, address, value or array of values, typeSize).
        this.writeData = function (page, address, values, typeSize) {
            checkAccess("writeData", arguments, page, address, typeSize);
            var list = values instanceof Array ? values : [values];
            var numbers = list.every(function (v) { return typeof v === "number" && v % 1 === 0; });
            if (arguments.length !== 4 || !numbers)
                throw noMethod("debug.engine.scripting.Memory", "writeData", arguments);
            call("write", {page: PAGES[page], address: address, bits: typeSize, values: list});
        };
        this.loadProgram = function (path) {
            if (arguments.length !== 1 || !isString(path))
                throw noMethod("debug.engine.scripting.Memory", "loadProgram", arguments);
            noise("loadProgram");
            call("load", {path: String(new java.io.File(path).getAbsolutePath())});
        };
        this.readRegister = function (name) {
            if (arguments.length !== 1 || !isString(name))
                throw noMethod("debug.engine.scripting.Memory", "readRegister", arguments);
            return call("readRegister", {name: String(name)});
        };
        this.writeRegister = function (name, value) {
            if (arguments.length !== 2 || !isString(name) || !isWhole(value))
                throw noMethod("debug.engine.scripting.Memory", "writeRegister", arguments);
            call("writeRegister", {name: String(name), value: value});
        };
    }

    return {
        instance: function () {
            if (environment === null)
                environment = new Environment();
            return environment;
        }
    };
})();

var ScriptingEnvironment = {instance: fakeDss.instance};
var TraceLevel = {OFF: "OFF", SEVERE: "SEVERE", WARNING: "WARNING", INFO: "INFO", CONFIG: "CONFIG",
                  FINE: "FINE", FINER: "FINER", FINEST: "FINEST", ALL: "ALL"};
var Memory = {Page: {PROGRAM: 0, DATA: 1, IO: 2}};
