// The environment options of the BASIC program: the editor settings on the page "Editor",
// the library's switches, the download port and the analog window's save flag on the page
// "Simulator und Lader". The wrapper opens the second page alone when a download needs a port.
#pragma once

#include "framework/dialogs/comportpage.h"

#include <QString>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace harvel {

class TLinotrex;

class TEnvOptionDlg : public TPortOptionsDialog {
    Q_OBJECT

public:
    explicit TEnvOptionDlg(QWidget* owner = nullptr);

    int GetTabWidth() const;
    void SetTabWidth(int value);
    bool GetAutoIndent() const;
    void SetAutoIndent(bool value);
    bool GetUseTabs() const;
    void SetUseTabs(bool value);
    bool GetSmartIndent() const;
    void SetSmartIndent(bool value);
    bool GetSearchAtCursor() const;
    void SetSearchAtCursor(bool value);
    bool GetBakFiles() const;
    void SetBakFiles(bool value);
    bool GetSyntaxHilite() const;
    void SetSyntaxHilite(bool value);
    // The file masks, at most 255 characters each.
    QString GetBasicFiles() const;
    void SetBasicFiles(const QString& value);
    QString GetASMFiles() const;
    void SetASMFiles(const QString& value);
    bool GetAutoTiming() const;
    void SetAutoTiming(bool value);
    bool GetSimulatedBeep() const;
    void SetSimulatedBeep(bool value);
    bool GetSaveAnalogIn() const;
    void SetSaveAnalogIn(bool value);

    QWidget* EditorPage = nullptr;
    QWidget* LinotrexPage = nullptr;
    QSpinBox* SETabWidth = nullptr;
    QCheckBox* CBAutoIndent = nullptr;
    QCheckBox* CBUseTabs = nullptr;
    QCheckBox* CBSmartIndent = nullptr;
    QCheckBox* CBSearchAtCursor = nullptr;
    QCheckBox* CBBakFiles = nullptr;
    QCheckBox* CBSyntaxHilite = nullptr;
    QLineEdit* EBasicFiles = nullptr;
    QLineEdit* EASMFiles = nullptr;
};

// Fills the dialog from the editor settings, the syntax-highlighting flag, the wrapper's
// switches and port and the analog port window's ADValuesSaved, and writes them back on OK (in
// port-only mode the wrapper's values alone). The caller then tells every window OptionsChanged.
bool ExecuteEnvOptions(QWidget* owner, bool portOnly);
// Sets the wrapper's EditOptions hook: the simulator page alone, centred on owner.
void ConnectEnvOptions(QWidget* owner, TLinotrex& wrapper);

} // namespace harvel
