// Dialog 130: asks for the address of a new supply.
#pragma once

#include <QDialog>

class QLineEdit;

namespace rir {

inline constexpr int IDC_ADDRESS_EDIT = 1003;

class CAddDeviceDlg : public QDialog {
    Q_OBJECT
public:
    CAddDeviceDlg(int proposed, QWidget* parent = nullptr);
    int address() const { return address_; }
    QLineEdit* edit() const { return edit_; }

    void accept() override;

private:
    QLineEdit* edit_;
    int address_ = 0;
};

} // namespace rir
