// The environment options of both programs: a modal dialog of pages with the page
// "Simulator und Lader" (the download port and the simulator switches). In port-only mode
// only that page shows, the switches are locked and OK needs a chosen port.
#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QTabWidget;
class QWidget;

class TPortOptionsDialog : public QDialog {
    Q_OBJECT

public:
    // withBeep adds the box that lets the simulated BEEP sound on the PC.
    explicit TPortOptionsDialog(QWidget* owner, bool withBeep);

    // Ports 1-4 select their item, any other value clears the choice; reading gives -1
    // while no port is chosen.
    int GetCOM() const;
    void SetCOM(int value);

    // True: the port page alone, the switches disabled, OK only with a port. False: the
    // first page is active and everything shows.
    void SetPortOnly(bool flag);
    bool PortOnly() const { return portOnly_; }
    // Centred on the owner (or the screen), modal; true when closed with OK.
    bool Execute(QWidget* owner);

    QTabWidget* PageControl1 = nullptr;
    QWidget* PortPage = nullptr;
    QButtonGroup* RGComNumber = nullptr;
    QCheckBox* CBAutoTiming = nullptr;
    QCheckBox* CBSimulatedBeep = nullptr; // null without the beep option
    QCheckBox* CBSaveAnalogInPorts = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

public slots:
    // In port-only mode not even the Enter key confirms without a port.
    void done(int result) override;

protected:
    // Pages go before the port page, in the order added.
    void AddPage(QWidget* page, const QString& caption);

private slots:
    void RGComNumberClick();
    void HelpButtonClick();

private:
    bool portOnly_ = false;
};
