// A program on its page: taking a loaded file, start and continue, pause and cancel. The
// one-second tick that runs it is the page's own (device/DevicePageTick.cpp); everything here
// happens on an operator's click.
#pragma once

#include "device/DevicePage.h"
#include "device/PageCommands.h"
#include "program/ProgramLoader.h"

#include <string_view>

namespace rir {

// The page takes a loaded program: a running program or recording stops, the histories give way
// to the program's preview, the series switches and the caption follow the file, the output is
// switched off, and the page waits for "Старт". load.loaded must be set.
void TakeProgram(DevicePage& page, const ProgramLoad& load, std::string_view fileName, PageCommandSink& sink);

// "Старт" and "Продолжить" (1048). A fresh start renders the preview again and runs from the
// first second; continue resumes at the second where the pause came.
void StartProgram(DevicePage& page, PageCommandSink& sink);
// "Пауза" (1049): the output goes off, the seconds stop counting.
void PauseProgram(DevicePage& page, PageCommandSink& sink);
// The link to the supplies went (the port was lost, the operator stopped polling): a running
// program pauses as on "Пауза" and says why after the caption above the chart; it goes on only
// at the operator's "Продолжить". True when it paused.
bool PauseProgramForLink(DevicePage& page, std::string_view why, PageCommandSink& sink);
// "Отменить" (1050): the output goes off, the histories are emptied and the page has no program.
void CancelProgram(DevicePage& page, PageCommandSink& sink);

// One of the three buttons by its id, or the output button (1022) while a program is loaded:
// "Выключить" pauses a running program, which switches the output off, and switches off a
// supply that a program left on. False for any other id.
bool RunProgramButton(DevicePage& page, int id, PageCommandSink& sink);

} // namespace rir
