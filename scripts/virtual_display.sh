#!/usr/bin/env bash
# Runs a command on a fresh virtual X display. The server must not reset when
# its last client leaves: tests that close and reopen the window library
# would then sometimes find no display.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
