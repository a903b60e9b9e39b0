// A page's alarm settings: tolerance, delay, the temperature band, the link-error rate and
// whether an alarm pauses the program. The core checks the fields; a refused one is said in a
// box and gets its old value back.
#pragma once

#include "alarm/AlarmSetup.h"

#include <QDialog>

#include <array>
#include <string>

class QCheckBox;
class QLineEdit;

namespace rir {

class CAlarmSetupDlg : public QDialog {
    Q_OBJECT
public:
    CAlarmSetupDlg(const std::string& caption, const AlarmSettings& given, QWidget* parent = nullptr);
    const AlarmSettings& settings() const { return settings_; }
    QLineEdit* field(AlarmField f) const { return fields_[static_cast<std::size_t>(f)]; }
    QCheckBox* pauseBox() const { return pause_; }

    void accept() override;

private:
    AlarmSettings settings_;
    std::array<QLineEdit*, ALARM_FIELD_COUNT> fields_{};
    QCheckBox* pause_;
};

} // namespace rir
