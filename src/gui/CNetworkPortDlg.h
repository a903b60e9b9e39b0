// "Сетевой порт...": asks for the host and port of a serial-to-Ethernet gateway.
#pragma once

#include <QDialog>

#include "bus/NetworkPort.h"

class QLineEdit;

namespace rir {

class CNetworkPortDlg : public QDialog {
    Q_OBJECT
public:
    CNetworkPortDlg(const NetworkPortFields& proposed, QWidget* parent = nullptr);
    NetworkPortFields fields() const;
    QLineEdit* hostEdit() const { return host_; }
    QLineEdit* portEdit() const { return port_; }

    // Stays open, with the station's word on it, while what was typed does not hold.
    void accept() override;

private:
    QLineEdit* host_;
    QLineEdit* port_;
};

} // namespace rir
