// What a device page's commands need from the station around them: the bus queue for the
// requests they decide on, and the module settings dialog. The page decides; the station only
// carries out.
#pragma once

#include "device/ModuleSetupValues.h"
#include "device/Requests.h"

#include <optional>

namespace rir {

class PageCommandSink {
public:
    virtual ~PageCommandSink() = default;
    // Appends one whole request to the bus queue, under the bus lock. False when the queue
    // refused it (the builders never hand it a value that is not a byte).
    virtual bool Enqueue(const Request& request) = 0;
    // The module settings dialog opened with `given`; its values after "Установить", nothing
    // after "Отменить".
    virtual std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) = 0;
};

// What became of a command given to a page.
enum class PageCommandResult {
    Ignored,      // not a command of the page, or its control is hidden or disabled
    Done,         // carried out; the page's view may have changed
    RemoveDevice, // "X": the station deletes this page's device (the page is gone afterwards)
    OpenProgram,  // "Открыть файл": the station asks for a file and loads it into the page
    RunProgram, // "Старт", "Пауза", "Отменить", or "Выключить" with a program loaded: the runner's
};

} // namespace rir
