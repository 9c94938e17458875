#!/usr/bin/env bash
# Fails when a folder includes a header from a folder above it:
#   tiles <- formats <- platform <- (views, caption) <- app
# cli/ uses only the core (tiles, formats), fuzz/ the core and the converter's
# Qt-free sources in cli/. The core has no Qt.
# <windows.h> stays in the system-call sources: its macros (TRUE, WM_*, RGB,
# DrawText ...) would break the window layer's names, so no header and no
# source of the user interface includes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(git grep -n -E '#include +[<"](Q|app/|views/|caption/|platform/|cli/)' -- 'tiles/*' 'formats/*'
      git grep -n -E '#include +"formats/' -- 'tiles/*'
      git grep -n -E '#include +"(app/|views/|caption/|cli/)' -- 'platform/*'
      git grep -n -E '#include +"(app/|cli/|caption/)' -- 'views/*'
      git grep -n -E '#include +"(app/|cli/|views/)' -- 'caption/*'
      git grep -n -E '#include +"(app/|views/|caption/|platform/)' -- 'cli/*'
      git grep -n -E '#include +[<"](Q|app/|views/|caption/|platform/)' -- 'fuzz/*'
      true)
win=$(git grep -n -i -E '#include +<windows\.h>' -- '*.h' 'platform/*' 'views/*' 'caption/*' 'app/*' 'tests/*_gui_test.cpp'
      true)
# Nor any header that brings it in on Windows: Qt's module headers (<QtGui>,
# <QtWidgets/QtWidgets> ...), qt_windows.h and the OpenGL ones (qopengl.h
# includes qt_windows.h).
ui=('platform/*' 'views/*' 'caption/*' 'app/*' 'tests/*_gui_test.cpp' 'tests/support/*')
win+=$(git grep -n -E '#include +[<"]((Qt[A-Za-z]+/)?Qt(Core|Gui|Widgets|Test|OpenGL|OpenGLWidgets|Network|Concurrent|PrintSupport|Xml|Sql|DBus|Svg)|[^>"]*(qt_windows\.h|qopengl|QOpenGL|QtOpenGL)[^>"]*)[>"]' -- "${ui[@]}" | sed '1s/^/\n/'
      true)
if [ -n "$win" ]; then
    echo "<windows.h>, and the Qt headers that bring it in (module headers, qt_windows.h, OpenGL), are for the system-call sources only:" >&2
    printf '%s\n' "$win" >&2
    exit 1
fi
if [ -n "$bad" ]; then
    echo "An include runs up the layers (tiles <- formats <- platform <- views, caption <- app):" >&2
    printf '%s\n' "$bad" >&2
    exit 1
fi
echo "layers: ok"
