// The choice of a function block's own bitmap file, with a preview.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

class TBlockBitmapDlg : public QDialog {
    Q_OBJECT

public:
    explicit TBlockBitmapDlg(QWidget* parent = nullptr);

    void SetFileName(const QString& name);
    QString FileName() const { return fileName_; }
    // Loads the preview from the file found for FileName; false (and no preview) when there
    // is none. A found file is kept by its bare name when the bitmap folders find it so.
    bool UpdatePreview();

    // The open dialog, started with the current name; empty when cancelled. Tests replace it.
    std::function<std::optional<QString>(const QString& start)> dlgFileSelect;

    QLineEdit* eFileName = nullptr;
    QPushButton* bSelectFile = nullptr;
    QLabel* PreviewImage = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void done(int result) override;

private slots:
    void bSelectFileClick();
    void eFileNameChange(const QString& text);

private:
    QString fileName_;
    bool updating_ = false;
};
