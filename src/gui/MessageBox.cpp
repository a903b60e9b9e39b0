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

void ShowNotice(QWidget* parent, const std::string& text) {
    // A modal box runs its own event loop inside the slot that opened it, and Qt does not fire a
    // timer again while its slot runs: the window's timer, which drives every page's program,
    // would stop for as long as the box stayed open.
    auto* box = new QMessageBox(QMessageBox::NoIcon, QCoreApplication::applicationName(),
                                QString::fromStdString(text), QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
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
