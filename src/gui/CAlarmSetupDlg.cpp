#include "CAlarmSetupDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "MessageBox.h"
#include "program/ProgramReport.h"

namespace rir {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CAlarmSetupDlg::CAlarmSetupDlg(const std::string& caption, const AlarmSettings& given, QWidget* parent)
    : QDialog(parent), settings_(given), pause_(new QCheckBox(FromUtf8(ALARM_PAUSE_LABEL), this)) {
    setWindowTitle(QString::fromStdString(FormatText(ALARM_SETUP_TITLE, {caption})));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const AlarmSetupTexts texts = AlarmSetupTextsOf(given);
    const std::array<const std::string*, ALARM_FIELD_COUNT> values{
        &texts.tolerance, &texts.delay, &texts.tempLow, &texts.tempHigh, &texts.linkErrors};
    for (int i = 0; i < ALARM_FIELD_COUNT; ++i) {
        auto* edit = new QLineEdit(QString::fromStdString(*values[static_cast<std::size_t>(i)]), this);
        edit->setObjectName(QStringLiteral("alarmField%1").arg(i));
        fields_[static_cast<std::size_t>(i)] = edit;
        form->addRow(FromUtf8(AlarmFieldLabel(static_cast<AlarmField>(i))), edit);
    }
    layout->addLayout(form);
    pause_->setChecked(given.pauseProgram);
    layout->addWidget(pause_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Установить"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Отменить"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAlarmSetupDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAlarmSetupDlg::reject);
    layout->addWidget(buttons);
}

void CAlarmSetupDlg::accept() {
    const auto text = [this](AlarmField f) { return field(f)->text().toStdString(); };
    const AlarmSetupTexts typed{text(AlarmField::Tolerance),  text(AlarmField::Delay),
                                text(AlarmField::TempLow),    text(AlarmField::TempHigh),
                                text(AlarmField::LinkErrors), pause_->isChecked()};
    const AlarmSetupCheck checked = CheckAlarmSetup(typed, settings_);
    if (!checked.settings) {
        ShowMessage(this, checked.problem);
        QLineEdit* refused = field(checked.field);
        refused->setText(QString::fromStdString(checked.oldText));
        refused->setFocus();
        refused->selectAll();
        return; // the dialog stays open
    }
    settings_ = *checked.settings;
    QDialog::accept();
}

} // namespace rir
