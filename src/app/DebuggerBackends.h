#pragma once

// The program's debugger backends: the built-in simulator, GDB servers and
// TI's debugger through its scripting. Adding a backend adds its line here.
class CDebuggerBackends {
public:
    // Registers every backend with CBackendRegistry; a second call changes nothing.
    static void RegisterAll();
};
