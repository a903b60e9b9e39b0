#include "FileDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace rir {

std::optional<std::string> AskFileName(QWidget* parent, FileDialogKind kind, const QStringList& filters,
                                       QString& folder, const QString& proposedName,
                                       const QString& defaultSuffix) {
    const bool open = kind == FileDialogKind::Open;
    const QString action = open ? QStringLiteral("Открыть") : QStringLiteral("Сохранить");
    QFileDialog dialog(parent);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    dialog.setWindowTitle(action);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
    dialog.setLabelText(QFileDialog::Accept, action);
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    folder = QFileInfo(chosen).absolutePath();
    // The name as the file system spells it, so that any name the dialog shows can be opened.
    return QFile::encodeName(chosen).toStdString();
}

} // namespace rir
