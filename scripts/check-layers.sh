#!/usr/bin/env bash
# Fails when a folder includes a header from a folder above it:
#   tiles <- formats <- platform <- (views, caption) <- app
# and cli/ and fuzz/ use only the core (tiles, formats). The core has no Qt.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(git grep -n -E '#include +[<"](Q|app/|views/|caption/|platform/|cli/)' -- 'tiles/*' 'formats/*'
      git grep -n -E '#include +"formats/' -- 'tiles/*'
      git grep -n -E '#include +"(app/|views/|caption/|cli/)' -- 'platform/*'
      git grep -n -E '#include +"(app/|cli/|caption/)' -- 'views/*'
      git grep -n -E '#include +"(app/|cli/|views/)' -- 'caption/*'
      git grep -n -E '#include +"(app/|views/|caption/|platform/)' -- 'cli/*'
      git grep -n -E '#include +[<"](Q|app/|views/|caption/|platform/|cli/)' -- 'fuzz/*'
      true)
if [ -n "$bad" ]; then
    echo "An include runs up the layers (tiles <- formats <- platform <- views, caption <- app):" >&2
    printf '%s\n' "$bad" >&2
    exit 1
fi
echo "layers: ok"
