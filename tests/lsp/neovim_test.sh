#!/bin/sh
# Runs tests/lsp/neovim_client.lua in a headless Neovim with the built
# program as its language server.  Usage: neovim_test.sh SIZGEN TESTS_DIR
# Without Neovim the test is skipped (status 77), except in CI, which
# installs it (scripts/install-deps test).
set -eu
if ! command -v nvim > /dev/null 2>&1; then
  if [ -n "${CI:-}" ]; then
    echo "nvim is missing: scripts/install-deps test installs it" >&2
    exit 1
  fi
  echo "skipped: nvim is not installed (scripts/install-deps test installs it)"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Neovim's own state, its LSP log included, stays in the scratch directory.
export XDG_CONFIG_HOME="$scratch" XDG_DATA_HOME="$scratch" XDG_STATE_HOME="$scratch" \
  XDG_CACHE_HOME="$scratch"
SIZGEN="$1" SIZGEN_TEST_DATA="$2" SCRATCH="$scratch" \
  nvim --headless -u NONE -i NONE -n -c "luafile $2/lsp/neovim_client.lua" < /dev/null
