#!/usr/bin/env bash
# The layers and what each may include (every include names its layer from the
# top of the tree). The Qt-free core cannot reach Qt anyway: its libraries do
# not link it. This keeps each layer to the ones below it.
#
#   platform/       the OS: key store, clock, files, session signals
#   platform/net/   + platform/: sockets, addresses, the queue, the reader threads, TCP framing;
#                   never Qt, reception or the windows
#   platform/qt/    + Qt: receiver hand-over, dialogs, session end, program paths
#   settings/       platform/, platform/net/: the Options record, store, registry files, list logic, placement
#   settings/ui/    + platform/qt/: the options dialog
#   reception/      platform/, platform/net/, settings/: decoding, classification, handler, rows, log files
#   reception/qt/   + platform/qt/: table models, painter, sizing
#   app/            everything: the program and its windows
set -euo pipefail
cd "$(dirname "$0")/.."
allowed() { # layer -> allowed include prefixes
  case $1 in
    platform) echo "platform/[^/]*$" ;;
    platform/net) echo "platform/[^/]*$|platform/net/" ;;
    platform/qt) echo "platform/" ;;
    settings) echo "platform/[^/]*$|platform/net/|settings/[^/]*$" ;;
    settings/ui) echo "platform/|settings/" ;;
    reception) echo "platform/[^/]*$|platform/net/|settings/[^/]*$|reception/[^/]*$" ;;
    reception/qt) echo "platform/|settings/[^/]*$|reception/" ;;
  esac
}
status=0
for layer in platform platform/net platform/qt settings settings/ui reception reception/qt; do
  pattern=$(allowed "$layer")
  for file in $(git ls-files "$layer" | grep -E "^$layer/[^/]*\.(h|cpp)$"); do
    while IFS= read -r inc; do
      if ! echo "$inc" | grep -qE "^($pattern)"; then
        echo "$file includes \"$inc\", above its layer $layer/"
        status=1
      fi
    done < <(grep -oE '^#include "[^"]+"' "$file" | sed 's/#include "\(.*\)"/\1/')
  done
done
[ $status -eq 0 ] && echo "layers: every include stays within its layer or below"
exit $status
