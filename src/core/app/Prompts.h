// Modal interaction, as the station's logic needs it. Qt answers with real dialogs; tests answer
// from a script, so no test ever blocks on a window.
#pragma once

#include "bus/NetworkPort.h"
#include "alarm/AlarmMonitor.h"
#include "device/ModuleSetupValues.h"

#include <optional>
#include <string>

namespace rir {

// The file types the program and run dialogs offer, in order.
inline constexpr const char* PROGRAM_FILE_FILTER = "Файл-программа в формате csv (*.csv)";
inline constexpr const char* ALL_FILES_FILTER = "Все файлы (*.*)";

// The buttons of a question: the station's own words, whatever language the platform speaks.
inline constexpr const char* ANSWER_YES = "Да";
inline constexpr const char* ANSWER_NO = "Нет";

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message box with only an OK button, no icon, the application's name as caption.
    virtual void Message(const std::string& text) = 0;
    // The same box, but nothing waits for its OK: the programs' seconds, the bus and the other
    // pages go on while it is open. For what the station says on its own (a program's end, a
    // log file that failed) rather than in answer to the operator. Tests see it as a message.
    virtual void Notice(const std::string& text) { Message(text); }
    // A question with the buttons "Да" and "Нет" (no icon, the same caption): true for "Да".
    // Closing the box without an answer is "Нет".
    virtual bool Ask(const std::string& text) = 0;
    // The add-device dialog with `proposed` preselected; nothing on Cancel. The dialog itself
    // refuses anything but a whole number 1..127.
    virtual std::optional<int> AskAddress(int proposed) = 0;
    // The module settings dialog opened with `given`; the values it hands back after
    // "Установить", nothing after "Отменить". The dialog itself refuses what it cannot take.
    virtual std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) = 0;
    // The open-file dialog for a program file (CSV files, or all files); the chosen file's full
    // path in UTF-8, nothing on Cancel.
    virtual std::optional<std::string> ChooseProgramFile() = 0;
    // The save-file dialog for a run (CSV files) proposing `proposedName`; the chosen path in
    // UTF-8, nothing on Cancel.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& proposedName) = 0;
    // "Сетевой порт...": the gateway's host and port as typed, starting from `proposed`;
    // nothing on Cancel. The station checks them.
    virtual std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields& proposed) = 0;
    // The alarm settings dialog of the page named `caption`, opened with `given`; the settings
    // after "Установить" (the dialog refuses a field it cannot take), nothing after "Отменить".
    virtual std::optional<AlarmSettings> RunAlarmSetup(const std::string& caption,
                                                       const AlarmSettings& given) {
        (void)caption;
        (void)given;
        return std::nullopt;
    }
};

} // namespace rir
