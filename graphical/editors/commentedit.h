// The window that edits the program comment.
#pragma once

#include "graphical/editors/texteditform.h"

class TCommentEditForm : public TTextEditForm {
    Q_OBJECT

public:
    explicit TCommentEditForm(TModel* model, QWidget* parent = nullptr);

    void ModelAttached() override;

protected:
    bool GetLines(TLines& lines) override;
    void SetLines(const TLines& lines) override;
};
