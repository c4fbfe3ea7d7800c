#pragma once

#include <QString>

// An XDG base directory: the value of the environment variable `variable` when
// it is an absolute path, else `fallbackUnderHome` in the home folder
// (for example "XDG_STATE_HOME" and ".local/state").
QString XdgBaseDirectory(const char *variable, const QString &fallbackUnderHome);
