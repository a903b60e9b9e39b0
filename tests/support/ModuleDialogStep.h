// A modal-window step that answers the module settings dialog as the operator would: one module
// chosen from the dialog's list, then "Установить".
#pragma once

#include "CModuleSetupDlg.h"
#include "ModalWatcher.h"
#include "device/ModuleSetupTemplate.h"

#include <QComboBox>
#include <QPushButton>

#include <string>

namespace rir {

// Chooses the list's item that reads `module` ("Ватт-метр") and accepts the dialog.
inline ModalWatcher::Step ChooseModule(const std::string& module) {
    return [module](QWidget* w) {
        auto* dialog = qobject_cast<CModuleSetupDlg*>(w);
        if (dialog == nullptr) {
            ADD_FAILURE() << "not the module dialog";
            w->close();
            return;
        }
        auto* modules = qobject_cast<QComboBox*>(dialog->controlById(IDC_SETUP_MODULE));
        const int index = modules->findText(QString::fromStdString(module));
        modules->setCurrentIndex(index);
        emit modules->activated(index); // as the operator's choice
        qobject_cast<QPushButton*>(dialog->controlById(IDOK))->click();
    };
}

} // namespace rir
