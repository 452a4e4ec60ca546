// The main window's find and replace dialogs: modeless, they collect the texts and options and
// leave the searching to the main window.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace harvel {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr) : TFindDialog(false, parent) {}

    QString FindText() const;
    void SetFindText(const QString& text);
    bool Down() const;
    bool MatchCase() const;
    bool WholeWord() const;
    QLineEdit* FindEdit() const { return findEdit_; }
    QCheckBox* MatchCaseBox() const { return matchCase_; }
    QCheckBox* WholeWordBox() const { return wholeWord_; }
    QRadioButton* UpButton() const { return up_; }
    QPushButton* FindNextButton() const { return findNext_; }
    // Opens the dialog at a screen place, or brings it up when it is open.
    void Execute(const QPoint& at);

signals:
    void Find();

protected:
    TFindDialog(bool replace, QWidget* parent);

private:
    void UpdateButtons();

    QLineEdit* findEdit_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QPushButton* findNext_;

    friend class TReplaceDialog;
};

class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget* parent = nullptr);

    QString ReplaceText() const;
    QLineEdit* ReplaceEdit() const { return replaceEdit_; }
    QPushButton* ReplaceButton() const { return replace_; }
    QPushButton* ReplaceAllButton() const { return replaceAll_; }

signals:
    void Replace(bool all);

private:
    QLineEdit* replaceEdit_;
    QPushButton* replace_;
    QPushButton* replaceAll_;
};

} // namespace harvel
