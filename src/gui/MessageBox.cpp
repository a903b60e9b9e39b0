#include "MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/Prompts.h"

namespace rir {

void ShowMessage(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Ok, parent);
    box.exec();
}

bool AskQuestion(QWidget* parent, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QString::fromUtf8(ANSWER_YES));
    box.button(QMessageBox::No)->setText(QString::fromUtf8(ANSWER_NO));
    return box.exec() == QMessageBox::Yes;
}

} // namespace rir
