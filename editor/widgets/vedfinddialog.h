// The find and the replace dialog of the editor control: they collect the texts and options
// and leave the searching to the editor.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ved {

class TVedCustomEditor;

class TVedFindDialog : public QDialog {
    Q_OBJECT
public:
    // With `replace` the dialog also offers the replacement text and its two buttons.
    TVedFindDialog(TVedCustomEditor* editor, bool replace, QWidget* parent = nullptr);

    void SetEditor(TVedCustomEditor* editor) { editor_ = editor; }
    // The option bits of the editor's Replace for the boxes now checked.
    int Options() const;
    QLineEdit* FindEdit() const { return findEdit_; }
    QLineEdit* ReplaceEdit() const { return replaceEdit_; }
    QCheckBox* MatchCaseBox() const { return matchCase_; }
    QCheckBox* WholeWordsBox() const { return wholeWords_; }
    QCheckBox* BackwardsBox() const { return backwards_; }
    QCheckBox* FromStartBox() const { return fromStart_; }
    QCheckBox* InSelectionBox() const { return inSelection_; }
    QPushButton* FindButton() const { return findButton_; }
    QPushButton* ReplaceButton() const { return replaceButton_; }
    QPushButton* ReplaceAllButton() const { return replaceAllButton_; }
    QString ResultText() const;
    // The editor's result of the last search: 0 found, -1 not found, a count, or an error.
    int LastResult() const { return lastResult_; }

    void FindNext();
    void ReplaceOnce();
    void ReplaceAll();

private:
    void Run(int extraOptions);
    void UpdateButtons();

    TVedCustomEditor* editor_;
    QLineEdit* findEdit_;
    QLineEdit* replaceEdit_ = nullptr;
    QCheckBox* matchCase_;
    QCheckBox* wholeWords_;
    QCheckBox* backwards_;
    QCheckBox* fromStart_;
    QCheckBox* inSelection_;
    QPushButton* findButton_;
    QPushButton* replaceButton_ = nullptr;
    QPushButton* replaceAllButton_ = nullptr;
    QLabel* result_;
    int lastResult_ = -1;
};

} // namespace ved
