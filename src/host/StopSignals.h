// SIGTERM and SIGINT close the station the way its close button does, so a session ended by the
// desktop, a service manager or Ctrl+C still saves the settings and the log's last line.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace rir {

class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace rir
