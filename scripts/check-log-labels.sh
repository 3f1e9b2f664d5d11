#!/usr/bin/env bash
# Fails when a log label ("RClass::operation") names another class than the
# one whose file raises it, as code moved out of a class keeps its old label,
# or when a log line is a bare debug marker such as "11111".
#   scripts/check-log-labels.sh [source-root]
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"

find "$root/presenter" "$root/recorder" "$root/scanner" "$root/virtualcam" \( -name '*.cpp' -o -name '*.h' \) -print0 |
  sort -z | xargs -0 awk -v root="$root/" '
    FNR == 1 { file = FILENAME; sub(root, "", file); cls = FILENAME; sub(/.*\//, "", cls); sub(/\.[^.]*$/, "", cls) }
    /^[[:space:]]*\/\// { next }
    {
      s = $0
      while (match(s, /"R[A-Za-z0-9_]+::/)) {
        name = substr(s, RSTART + 1, RLENGTH - 3)
        if (name != cls) { print "check-log-labels: " file ":" FNR " is labelled " name ", the code is " cls "'"'"'s"; bad = 1 }
        s = substr(s, RSTART + RLENGTH)
      }
    }
    /q(Debug|Info|Warning|Critical)/ && /"(0000+|1111+|2222+|3333+|4444+|5555+|6666+|7777+|8888+|9999+)"/ {
      print "check-log-labels: " file ":" FNR " logs a bare marker"; bad = 1
    }
    END {
      if (bad) { print "check-log-labels: a log line names the class and operation that raise it"; exit 1 }
      print "check-log-labels: every log label names its own class"
    }'
