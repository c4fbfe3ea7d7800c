#!/bin/sh
# Test double of DSS's dss.sh: runs SCRIPT ARGS with Debian's Rhino after the fake
# DSS environment (../fake/fake-dss.js). exec keeps one process to stop by its pid.
here=$(cd "$(dirname "$0")" && pwd)
export CORVANE_FAKE_DSS_DIR="$here/../fake"
exec java -XX:TieredStopAtLevel=1 -classpath /usr/share/java/js.jar \
  org.mozilla.javascript.tools.shell.Main -f "$CORVANE_FAKE_DSS_DIR/fake-dss.js" "$@"
