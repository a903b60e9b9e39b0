// The station's open and save dialogs: Russian labels whether or not the system has Qt's own
// translations, the folder remembered between two uses, the chosen name as the file system
// spells it.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <string>

namespace rir {

enum class FileDialogKind { Open, Save };

// The chosen file's path (the name of an existing file to open, or any name to save under);
// nothing on Cancel. `folder` is where the dialog starts and becomes the chosen file's folder.
// A name typed without a suffix takes `defaultSuffix` when one is given.
std::optional<std::string> AskFileName(QWidget* parent, FileDialogKind kind, const QStringList& filters,
                                       QString& folder, const QString& proposedName = {},
                                       const QString& defaultSuffix = {});

} // namespace rir
