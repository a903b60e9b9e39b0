#include "CNetworkPortDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "MessageBox.h"

namespace rir {

CNetworkPortDlg::CNetworkPortDlg(const NetworkPortFields& proposed, QWidget* parent)
    : QDialog(parent), host_(new QLineEdit(this)), port_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Сетевой порт"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Шлюз RS-485 - Ethernet (TCP, без преобразования байтов):"), this));
    auto* form = new QFormLayout;
    host_->setObjectName(QStringLiteral("host"));
    host_->setText(QString::fromStdString(proposed.host));
    host_->setPlaceholderText(QStringLiteral("192.168.1.50"));
    port_->setObjectName(QStringLiteral("port"));
    port_->setText(QString::fromStdString(proposed.port));
    port_->setPlaceholderText(QStringLiteral("4001"));
    port_->setMaxLength(5);
    form->addRow(QStringLiteral("Адрес шлюза:"), host_);
    form->addRow(QStringLiteral("Порт TCP:"), port_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNetworkPortDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNetworkPortDlg::reject);
    layout->addWidget(buttons);
    host_->setFocus();
    host_->selectAll();
}

NetworkPortFields CNetworkPortDlg::fields() const {
    return {host_->text().toStdString(), port_->text().toStdString()};
}

void CNetworkPortDlg::accept() {
    const NetworkPortChoice choice = CheckNetworkPortFields(fields());
    if (!choice.port) {
        ShowMessage(this, choice.error);
        host_->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace rir
