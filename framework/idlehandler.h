// The idle calls of a main window.
#pragma once

#include <QObject>
#include <functional>

// Idle runs when the event loop has handled its events and is about to wait, once some event
// came since its last run, and again at once while it returns true (more wanted); with no events
// it does not run at all. Before a key can reach a shortcut, enable brings the enabling up to
// date, so that a shortcut works exactly when its menu item would be enabled. A failure of idle
// is shown in an error box; idle stays suspended until the box is closed.
class TIdleHandler : public QObject {
    Q_OBJECT

public:
    TIdleHandler(QObject* owner, std::function<bool()> idle, std::function<void()> enable = {});
    ~TIdleHandler() override;

    void Start();
    void Stop();
    // How often idle has run from the event loop.
    int Runs() const { return runs_; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AboutToBlock();

    std::function<bool()> idle_;
    std::function<void()> enable_;
    bool active_ = false;
    bool running_ = false;
    // An event came since idle last ran / since the enabling was last brought up to date.
    bool pending_ = true;
    bool stale_ = true;
    int runs_ = 0;
};
