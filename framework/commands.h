// The numbered commands every window of both programs may carry out, as menu items and tool
// buttons send them. Each program adds its own numbers beside these.
#pragma once

enum TFrameCommand : int {
    // a menu item whose submenu's items carry the commands
    cmContainer = 1,
    cmSave = 100,
    cmSaveAs = 101,
    cmPrint = 102,
    cmUndo = 150,
    cmRedo = 151,
    cmCut = 152,
    cmCopy = 153,
    cmPaste = 154,
    cmDelete = 155,
    cmClearWindow = 160,
};
