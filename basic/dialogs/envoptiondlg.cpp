#include "basic/dialogs/envoptiondlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QVBoxLayout>

#include "basic/editors/editorchild.h"
#include "basic/editors/hiltedit.h"
#include "basic/library/linotrex.h"
#include "basic/simwindows/analogportform.h"

namespace harvel {

namespace {

constexpr int MaxMaskLength = 255;

// Checking one of the two boxes disables the other, set by the user or by a setter alike.
void Exclude(QCheckBox* a, QCheckBox* b) {
    QObject::connect(a, &QCheckBox::toggled, b, [b](bool on) { b->setEnabled(!on); });
    QObject::connect(b, &QCheckBox::toggled, a, [a](bool on) { a->setEnabled(!on); });
}

// The simulator page preset with the wrapper's values; on OK they come back.
bool RunSimulatorPage(QWidget* owner, bool portOnly, bool& autoTiming, int& port,
                      bool& simulatedBeep, TEnvOptionDlg& dialog) {
    dialog.SetAutoTiming(autoTiming);
    dialog.SetCOM(port);
    dialog.SetSimulatedBeep(simulatedBeep);
    dialog.SetPortOnly(portOnly);
    if (!dialog.Execute(owner))
        return false;
    autoTiming = dialog.GetAutoTiming();
    port = dialog.GetCOM();
    simulatedBeep = dialog.GetSimulatedBeep();
    return true;
}

} // namespace

TEnvOptionDlg::TEnvOptionDlg(QWidget* owner) : TPortOptionsDialog(owner, true) {
    LinotrexPage = PortPage;

    EditorPage = new QWidget;
    auto* layout = new QVBoxLayout(EditorPage);
    auto* tabRow = new QFormLayout;
    SETabWidth = new QSpinBox(EditorPage);
    SETabWidth->setRange(1, 16);
    SETabWidth->setValue(8);
    tabRow->addRow(QStringLiteral("Tabulator&weite:"), SETabWidth);
    layout->addLayout(tabRow);
    auto* boxes = new QGridLayout;
    CBAutoIndent = new QCheckBox(QStringLiteral("Automatischer &Zeileneinzug"), EditorPage);
    CBUseTabs = new QCheckBox(QStringLiteral("&Tab-Zeichen verwenden"), EditorPage);
    CBSmartIndent = new QCheckBox(QStringLiteral("An &vorheriger Zeile ausrichten"), EditorPage);
    CBSearchAtCursor = new QCheckBox(QStringLiteral("Text am Cursor &suchen"), EditorPage);
    CBBakFiles = new QCheckBox(QStringLiteral("BA&K-Dateien anlegen"), EditorPage);
    CBSyntaxHilite = new QCheckBox(QStringLiteral("S&yntaxhervorhebung benutzen"), EditorPage);
    QCheckBox* const order[] = {CBAutoIndent,     CBUseTabs,  CBSmartIndent,
                                CBSearchAtCursor, CBBakFiles, CBSyntaxHilite};
    for (int i = 0; i < 6; ++i)
        boxes->addWidget(order[i], i % 3, i / 3);
    layout->addLayout(boxes);
    auto* masks = new QFormLayout;
    EBasicFiles = new QLineEdit(EditorPage);
    EBasicFiles->setMaxLength(MaxMaskLength);
    EASMFiles = new QLineEdit(EditorPage);
    EASMFiles->setMaxLength(MaxMaskLength);
    masks->addRow(QStringLiteral("&BASIC-Dateien"), EBasicFiles);
    masks->addRow(QStringLiteral("&Assemblerdateien"), EASMFiles);
    layout->addLayout(masks);
    layout->addStretch();
    AddPage(EditorPage, QStringLiteral("Editor"));
    Exclude(CBUseTabs, CBSmartIndent);

    setFixedSize(sizeHint().expandedTo(QSize(346, 220)));
    SetPortOnly(false);
}

int TEnvOptionDlg::GetTabWidth() const {
    return SETabWidth->value();
}
void TEnvOptionDlg::SetTabWidth(int value) {
    SETabWidth->setValue(value);
}
bool TEnvOptionDlg::GetAutoIndent() const {
    return CBAutoIndent->isChecked();
}
void TEnvOptionDlg::SetAutoIndent(bool value) {
    CBAutoIndent->setChecked(value);
}
bool TEnvOptionDlg::GetUseTabs() const {
    return CBUseTabs->isChecked();
}
void TEnvOptionDlg::SetUseTabs(bool value) {
    CBUseTabs->setChecked(value);
}
bool TEnvOptionDlg::GetSmartIndent() const {
    return CBSmartIndent->isChecked();
}
void TEnvOptionDlg::SetSmartIndent(bool value) {
    CBSmartIndent->setChecked(value);
}
bool TEnvOptionDlg::GetSearchAtCursor() const {
    return CBSearchAtCursor->isChecked();
}
void TEnvOptionDlg::SetSearchAtCursor(bool value) {
    CBSearchAtCursor->setChecked(value);
}
bool TEnvOptionDlg::GetBakFiles() const {
    return CBBakFiles->isChecked();
}
void TEnvOptionDlg::SetBakFiles(bool value) {
    CBBakFiles->setChecked(value);
}
bool TEnvOptionDlg::GetSyntaxHilite() const {
    return CBSyntaxHilite->isChecked();
}
void TEnvOptionDlg::SetSyntaxHilite(bool value) {
    CBSyntaxHilite->setChecked(value);
}
QString TEnvOptionDlg::GetBasicFiles() const {
    return EBasicFiles->text();
}
void TEnvOptionDlg::SetBasicFiles(const QString& value) {
    EBasicFiles->setText(value.left(MaxMaskLength));
}
QString TEnvOptionDlg::GetASMFiles() const {
    return EASMFiles->text();
}
void TEnvOptionDlg::SetASMFiles(const QString& value) {
    EASMFiles->setText(value.left(MaxMaskLength));
}
bool TEnvOptionDlg::GetAutoTiming() const {
    return CBAutoTiming->isChecked();
}
void TEnvOptionDlg::SetAutoTiming(bool value) {
    CBAutoTiming->setChecked(value);
}
bool TEnvOptionDlg::GetSimulatedBeep() const {
    return CBSimulatedBeep->isChecked();
}
void TEnvOptionDlg::SetSimulatedBeep(bool value) {
    CBSimulatedBeep->setChecked(value);
}
bool TEnvOptionDlg::GetSaveAnalogIn() const {
    return CBSaveAnalogInPorts->isChecked();
}
void TEnvOptionDlg::SetSaveAnalogIn(bool value) {
    CBSaveAnalogInPorts->setChecked(value);
}

bool ExecuteEnvOptions(QWidget* owner, bool portOnly) {
    TEnvOptionDlg dialog(owner);
    TEditorSettings& editor = EditorSettings();
    dialog.SetTabWidth(editor.TabWidth);
    dialog.SetAutoIndent(editor.AutoIndent);
    // the boxes say what Tab does: a tab character, or blanks up to the line above's words
    dialog.SetUseTabs(editor.TabMode == uint8_t(ved::TTabType::ttReal));
    dialog.SetSmartIndent(editor.TabMode == uint8_t(ved::TTabType::ttSmart));
    dialog.SetSearchAtCursor(editor.SearchAtCursor);
    dialog.SetBakFiles(editor.BackupFiles);
    dialog.SetSyntaxHilite(SyntaxHighlighting());
    dialog.SetBasicFiles(QString::fromLocal8Bit(editor.BASICFiles));
    dialog.SetASMFiles(QString::fromLocal8Bit(editor.ASMFiles));
    dialog.SetSaveAnalogIn(ADValuesSaved);

    TLinotrex& wrapper = Linotrex();
    bool autoTiming = wrapper.AutoTiming(), beep = wrapper.SimulatedBeep();
    int port = wrapper.PortNumber();
    if (!RunSimulatorPage(owner, portOnly, autoTiming, port, beep, dialog))
        return false;
    wrapper.SetAutoTiming(autoTiming);
    wrapper.SetComPort(port);
    wrapper.SetSimulatedBeep(beep);
    if (portOnly)
        return true;

    editor.TabWidth = dialog.GetTabWidth();
    editor.AutoIndent = dialog.GetAutoIndent();
    editor.TabMode = uint8_t(dialog.GetUseTabs()       ? ved::TTabType::ttReal
                             : dialog.GetSmartIndent() ? ved::TTabType::ttSmart
                                                       : ved::TTabType::ttFixed);
    editor.SearchAtCursor = dialog.GetSearchAtCursor();
    editor.BackupFiles = dialog.GetBakFiles();
    SyntaxHighlighting() = dialog.GetSyntaxHilite();
    editor.BASICFiles = dialog.GetBasicFiles().toLocal8Bit().toStdString();
    editor.ASMFiles = dialog.GetASMFiles().toLocal8Bit().toStdString();
    ADValuesSaved = dialog.GetSaveAnalogIn();
    return true;
}

void ConnectEnvOptions(QWidget* owner, TLinotrex& wrapper) {
    QPointer<QWidget> guarded(owner);
    wrapper.Views().EditOptions = [guarded](bool& autoTiming, int& port, bool& beep) {
        TEnvOptionDlg dialog(guarded);
        dialog.SetSaveAnalogIn(ADValuesSaved);
        return RunSimulatorPage(guarded, true, autoTiming, port, beep, dialog);
    };
}

} // namespace harvel
