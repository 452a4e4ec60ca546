#include "graphical/editors/commentedit.h"

#include "graphical/model/quendalmodel.h"

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
