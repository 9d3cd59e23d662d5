#!/usr/bin/env bash
# CTest fixtures of the end-to-end tests: the template prefix, the display,
# and a sweep of scenario wineservers an aborted test may have left behind.
set -euo pipefail
source "$(dirname "$0")/lib.sh"

case ${1:-} in
  template) template_create ;;
  display-start) xvfb_start ;;
  display-stop) xvfb_stop ;;
  sweep)
    for prefix in "$E2E_STATE"/scenarios/*/prefix; do
      [ -d "$prefix" ] || continue
      template_stop_server "$prefix"
    done
    ;;
  *)
    echo "usage: fixture.sh template|display-start|display-stop|sweep" >&2
    exit 2
    ;;
esac
