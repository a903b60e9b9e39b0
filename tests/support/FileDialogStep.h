// A modal-window step that answers the station's file dialogs as the operator would: the name
// typed into the dialog's name field, then the dialog's own accept.
#pragma once

#include "ModalWatcher.h"

#include <QFileDialog>
#include <QLineEdit>

#include <functional>
#include <string>

namespace rir {

// Picks `path` in a file dialog. `inspect` sees the dialog as it came up, before anything is
// typed (its proposed name, filters and labels).
inline ModalWatcher::Step ChooseFile(const std::string& path,
                                     std::function<void(QFileDialog&)> inspect = {}) {
    return [path, inspect](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (dialog == nullptr) {
            ADD_FAILURE() << "expected the file dialog, got " << w->metaObject()->className();
            w->close();
            return;
        }
        if (inspect)
            inspect(*dialog);
        // Typed into the name field: the dialog's list of the folder fills in the background and
        // may not know the file yet.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) {
            ADD_FAILURE() << "the file dialog has no name field";
            dialog->reject();
            return;
        }
        name->setText(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept(); // the dialog's own accept, reached through QDialog
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the file dialog did not take " << path;
            dialog->reject();
        }
    };
}

// Cancels a file dialog.
inline ModalWatcher::Step CancelFileDialog() {
    return [](QWidget* w) {
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
        else
            w->close();
    };
}

} // namespace rir
