#pragma once

#include <QString>
#include <QtGlobal>

class CFormControls;

// The facts the form's controls are computed from.
struct FormFacts {
    bool connected = false;   // a debugger connection is open
    bool downloaded = false;  // the target component is loaded
    bool idle = true;         // no operation runs
    int addressingUnit = 1;   // bytes per target address unit
    quint32 family = 0;
    quint32 subfamily = 0;
    quint32 selectedItemData = 0;  // item value of the selected connection list entry
};

// The refresh of the main form: texts, enabled and shown states of every control
// as a function of the facts, and the enabling of the form's menu commands.
class CFormRefresh {
public:
    static void Apply(CFormControls &controls, const FormFacts &facts);
    static bool IsCommandEnabled(int command, const CFormControls &controls, const FormFacts &facts);
    // "54x", "ARM7", "ARM9" or "(Not Determined)".
    static QString ProcessorName(quint32 family, quint32 subfamily);

private:
    static void ApplyConnected(CFormControls &controls, const FormFacts &facts);
    static void ApplyNotConnected(CFormControls &controls, const FormFacts &facts);
};
