#include "graphical/commentedit.h"

#include "graphical/quendalmodel.h"

namespace {

const bool registered = [] {
    RegisterMDIChildClass<TCommentEditForm>();
    return true;
}();

} // namespace

TCommentEditForm::TCommentEditForm(TModel* model, QWidget* parent)
    : TTextEditForm(model, QStringLiteral("Tavrissel plus - Kommentar"), parent) {
    setWindowTitle(QStringLiteral("Programmkommentar"));
}

void TCommentEditForm::ModelAttached() {
    Load();
}

bool TCommentEditForm::GetLines(TLines& lines) {
    lines = Project()->Comment;
    return true;
}

void TCommentEditForm::SetLines(const TLines& lines) {
    Project()->SetComment(lines);
}
