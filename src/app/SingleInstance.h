#pragma once
// Single instance through a local socket named like the program's mutex: a second
// start tells the first to come to the front and ends.
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace app {

class SingleInstance {
public:
    // "Zandri Gaming Mouse_1", or $ZANDRI_INSTANCE_NAME (tests run side by side).
    static QString DefaultName();

    explicit SingleInstance(QString name = DefaultName());
    ~SingleInstance();

    // True when a running instance took the hand-over (it comes to the front).
    bool HandOverToRunning(int timeoutMs = 1000);
    // Serves later starts; onActivate runs on the UI thread for each hand-over.
    bool Listen(std::function<void()> onActivate);

private:
    QString name_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onActivate_;
};

} // namespace app
