#include "framework/editcommands.h"

#include "editor/vedcmd.h"
#include "editor/widgets/vededit.h"
#include "framework/commands.h"

#include <cstdint>
#include <utility>

bool DoEditCommand(ved::TVedCustomEditor& editor, int cmd) {
    // As editor commands, so that the window hears of every change they make to the text.
    static constexpr std::pair<int, uint16_t> commands[] = {
        {cmUndo, ved::ccUndo}, {cmRedo, ved::ccRedo},   {cmCut, ved::ccCut},
        {cmCopy, ved::ccCopy}, {cmPaste, ved::ccPaste},
    };
    for (const auto& [command, editorCommand] : commands) {
        if (command == cmd) {
            editor.ExecuteCommand(editorCommand, 0);
            return true;
        }
    }
    return false;
}
