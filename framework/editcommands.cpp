#include "framework/editcommands.h"

#include "editor/widgets/vededit.h"
#include "framework/commands.h"

#include <utility>

bool DoEditCommand(ved::TVedCustomEditor& editor, int cmd) {
    using TEditorAction = void (ved::TVedCustomEditor::*)();
    static constexpr std::pair<int, TEditorAction> actions[] = {
        {cmUndo, &ved::TVedCustomEditor::Undo},
        {cmRedo, &ved::TVedCustomEditor::Redo},
        {cmCut, &ved::TVedCustomEditor::CutToClipboard},
        {cmCopy, &ved::TVedCustomEditor::CopyToClipboard},
        {cmPaste, &ved::TVedCustomEditor::PasteFromClipboard},
    };
    for (const auto& [command, action] : actions) {
        if (command == cmd) {
            (editor.*action)();
            return true;
        }
    }
    return false;
}
