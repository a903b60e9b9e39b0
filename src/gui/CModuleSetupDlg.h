// Dialog 133, "Настройка модулей", as a Qt dialog over the core's ModuleSetup: it builds the
// template's controls, copies the logic's view state, lists and places onto them, and forwards
// selections, typed text, check-box clicks, the keys of the temperature edits and "Установить".
#pragma once

#include "device/ModuleSetup.h"

#include <QDialog>

#include <map>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;

namespace rir {

class CModuleSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CModuleSetupDlg(const ModuleSetupValues& given, QWidget* parent = nullptr);

    // What "Установить" handed back; nothing before, and nothing after "Отменить".
    const std::optional<ModuleSetupValues>& values() const { return values_; }
    // The widget of a template control id, or nullptr.
    QWidget* controlById(int id) const;
    const ModuleSetup& logic() const { return logic_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void applyView();
    void applyControl(int id) const;
    void applyCombo(int id);
    void showRefusals(const std::vector<SetupRefusal>& refusals);
    bool filterKey(QLineEdit* edit, int id, QEvent* event);

    ModuleSetup logic_;
    std::map<int, QWidget*> controls_;
    std::map<const QObject*, int> filteredEdits_; // temperature edits and their ids
    std::optional<ModuleSetupValues> values_;
};

} // namespace rir
