#!/usr/bin/env bash
# Fails when a shipped source uses a GNU-only construct that MSVC rejects:
# __attribute__, __builtin_*, #pragma GCC, __extension__, typeof, inline
# asm. Each compiler's own spelling of such a thing is written in one macro
# (KELVANE_PNG_EXPORT in formats/PngDecoder.h) and nowhere else. Variable-length
# arrays and statement expressions are syntax, which scripts/mingw-compile-test.sh
# refuses with -Wpedantic.
set -euo pipefail
cd "$(dirname "$0")/.."
shipped=('tiles/*' 'formats/*' 'platform/*' 'views/*' 'caption/*' 'app/*' 'cli/*')
bad=$(git grep -n -E '__attribute__|__builtin_|#[[:space:]]*pragma[[:space:]]+GCC|__extension__|\b(__)?typeof(__)?\b|\b__asm__\b|\basm[[:space:]]*\(' \
          -- "${shipped[@]}" | grep -v -E '^formats/PngDecoder\.h:[0-9]+:#define KELVANE_PNG_EXPORT ' || true)
if [ -n "$bad" ]; then
    echo "GNU-only constructs, which MSVC does not compile, outside the one macro for them:" >&2
    printf '%s\n' "$bad" >&2
    exit 1
fi
echo "portable: ok"
