#!/bin/bash
# Prepares the Wine prefix named by WINEPREFIX for the program, after it has been created:
#   - the Marlett font, which Wine draws the caption buttons with, registered in the prefix (this
#     Wine does not find its own copy, and draws a letter instead of the close box's cross);
#   - with --no-window-manager: Wine draws the window frames itself, as no window manager runs on
#     a virtual display; without it the window manager does.
set -u
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Marlett (TrueType)' /d marlett.ttf /f \
    </dev/null >/dev/null 2>&1
fi
if [ "${1:-}" = "--no-window-manager" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
else
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /f </dev/null >/dev/null 2>&1
fi
exit 0
