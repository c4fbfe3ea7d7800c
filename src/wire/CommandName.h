#pragma once

#include <QString>
#include <QtGlobal>

// The name of a command code ("WriteFlash"), or the number for a code the host does not use.
QString CommandName(quint16 command);
