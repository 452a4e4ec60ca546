// The BASIC program's own numbered commands, beside those of every window: the tags of its
// menu items and tool buttons, carried out by the active window.
#pragma once

#include "framework/commands.h"

namespace harvel {

enum TCommand : int {
    cmFind = 156,
    cmFindNext = 157,
    cmFindPrev = 158,
    cmReplace = 159,
    cmCompile = 250,
    cmCompileDownload = 251,
    cmNextError = 260,
    cmPrevError = 261,
    cmToggleBreakpoint = 300,
    cmRunToCursor = 301,
    cmWatchAtCaret = 302,
    cmRun = 303,
    cmStep = 304,
    cmReset = 305,
    cmClearBreakpoints = 306,
    cmStop = 307,
    // the source window's local menu: set bookmark 0-7, go to bookmark 0-7
    cmSetBookmark0 = 180,
    cmGotoBookmark0 = 190,
};

} // namespace harvel
