// The splash shown at start and the About box: the program's picture with its version.
#pragma once

#include <QDialog>
#include <QImage>

class QFrame;
class QLabel;
class QPushButton;

inline const char* const QuendalVersionText = "Version 1.08";
inline const char* const HarvelVersionText = "Version 1.33";

class TSplashForm : public QDialog {
    Q_OBJECT

public:
    // The splash picture without the version text.
    static QImage SplashBitmap();

    explicit TSplashForm(const QString& versionText, QWidget* parent = nullptr);

    // Borderless and on top, shown and painted at once; the caller frees it. A box shown while
    // it stands would be hidden behind it: the splash goes first.
    void ShowSplash();
    // Modal About box centred on mainForm (when given), never left of or above the screen.
    void ShowAbout(QWidget* mainForm);
    // ShowAbout without running it, for a caller that shows it itself.
    void PrepareAbout(QWidget* mainForm);

    QFrame* Panel1() const { return panel1_; }
    QLabel* SplashImage() const { return splashImage_; }
    QPushButton* OKButton() const { return okButton_; }
    const QImage& Picture() const { return picture_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* panel1_;
    QLabel* splashImage_;
    QPushButton* okButton_;
    QImage picture_;
};
