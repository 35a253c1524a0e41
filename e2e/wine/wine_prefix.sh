#!/usr/bin/env bash
# Makes (start) or removes (stop) the throwaway Wine prefix that every Wine test of this run shares;
# its path is kept in the file $HILO_WINE_PREFIX_FILE.
set -euo pipefail
export WINEDEBUG=-all

case "${1:-}" in
  start)
    WINEPREFIX=$(mktemp -d -t hilo-wine.XXXXXX)
    export WINEPREFIX
    echo "$WINEPREFIX" >"$HILO_WINE_PREFIX_FILE"
    # The server starts here, on the real clock, and stays up for the whole run: the games run
    # later under a stopped clock, where a server started by them would never see its timeouts
    # expire, and the prefix's first start (many seconds) is paid once.
    "$HILO_WINESERVER" -p </dev/null >/dev/null 2>&1
    "$HILO_WINE" wineboot --init </dev/null >/dev/null 2>&1
    ;;
  stop)
    [[ -f $HILO_WINE_PREFIX_FILE ]] || exit 0
    WINEPREFIX=$(<"$HILO_WINE_PREFIX_FILE")
    export WINEPREFIX
    # Ends this prefix's server and the Wine processes it runs, nothing else, and waits until
    # they are gone.
    "$HILO_WINESERVER" -k || true
    "$HILO_WINESERVER" -w || true
    [[ $WINEPREFIX == */hilo-wine.* ]] && rm -rf "$WINEPREFIX"
    rm -f "$HILO_WINE_PREFIX_FILE"
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
