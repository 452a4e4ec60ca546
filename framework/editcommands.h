// The undo and clipboard commands as the text editor windows of both programs carry them out.
#pragma once

namespace ved {
class TVedCustomEditor;
}

// Carries out cmUndo, cmRedo, cmCut, cmCopy or cmPaste on editor as its own commands, which
// report a change of the text (OnChange); false for other commands.
bool DoEditCommand(ved::TVedCustomEditor& editor, int cmd);
