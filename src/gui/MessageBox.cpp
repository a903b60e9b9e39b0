#include "MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace rir {

void ShowMessage(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

} // namespace rir
