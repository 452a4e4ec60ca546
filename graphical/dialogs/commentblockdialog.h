// The properties of a comment block: its text and its font.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QLineEdit;
class QPushButton;

class TCommentBlockDlg : public QDialog {
    Q_OBJECT

public:
    explicit TCommentBlockDlg(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    QFont CommentFont() const { return font_; }
    QColor CommentColor() const { return color_; }
    void SetCommentFont(const QFont& font, const QColor& color);

    // The font dialog; tests replace it.
    std::function<bool(QFont& font, QColor& color)> dlgFont;

    QLineEdit* eCommentText = nullptr;
    QPushButton* FontButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private slots:
    void FontButtonClick();

private:
    QFont font_;
    QColor color_;
};
