#include "CAddDeviceDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "MessageBox.h"
#include "app/AddressEntry.h"

namespace rir {

CAddDeviceDlg::CAddDeviceDlg(int proposed, QWidget* parent) : QDialog(parent), edit_(new QLineEdit(this)) {
    setWindowTitle(QStringLiteral("Добавления нового устройства"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Введите номер устройства (1 - 127):"), this));
    edit_->setObjectName(QStringLiteral("edit%1").arg(IDC_ADDRESS_EDIT));
    edit_->setText(QString::number(proposed));
    edit_->selectAll();
    layout->addWidget(edit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddDeviceDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAddDeviceDlg::reject);
    layout->addWidget(buttons);
    edit_->setFocus();
}

void CAddDeviceDlg::accept() {
    const auto checked = CheckAddressText(edit_->text().toStdString());
    if (const auto* refusal = std::get_if<std::string>(&checked)) {
        ShowMessage(this, *refusal);
        edit_->setFocus();
        edit_->selectAll();
        return; // the dialog stays open
    }
    address_ = std::get<int>(checked);
    QDialog::accept();
}

} // namespace rir
