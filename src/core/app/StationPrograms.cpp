// Program files as the station carries them out: the page asks for a file, the station runs the
// dialog, reads the file, has the loader check it against the supply and hands the result to
// the page; and the messages of the runs that ended.
#include "app/Station.h"

#include "program/FileRead.h"
#include "program/PartArea.h"
#include "program/ProgramLoader.h"
#include "program/ProgramRunner.h"

namespace rir {

void Station::ModalMessage(const std::string& text) {
    Modal([&] {
        prompts_.Message(text);
        return true;
    });
}

void Station::OpenProgram(int address, int channel) {
    const std::optional<std::string> chosen = Modal([&] { return prompts_.ChooseProgramFile(); });
    if (!chosen)
        return;
    // The dialog hands over the name in UTF-8, which is how the system spells file names here.
    const std::filesystem::path path(*chosen);
    const std::string name = FileDisplayName(path);
    const FileBytes file = ReadWholeFile(path);
    if (file.error != FileError::None) {
        // Nothing has changed on the page: its histories stay as they were.
        ModalMessage(FileErrorText(file.error, name));
        return;
    }
    // Found again: replies went on while the dialog was open, and a channel-B page may be gone.
    DevicePage* page = FindPage(address, channel);
    if (page == nullptr || page->programLoaded())
        return;
    const std::string& areaText = page->partAreaText();
    const std::optional<int> area = ReadPartArea(areaText);
    const ProgramLoad load = LoadProgramFile(file.bytes, name, ProgramLimitsOf(page->state), area);
    if (load.needsArea) {
        // A density file: without an area no current is known, and nothing is loaded.
        ModalMessage(areaText.empty() ? load.report : FormatText(AREA_BAD_FORMAT, {areaText}));
        return;
    }
    if (load.loaded) {
        TakeProgram(*page, load, name, *this);
        PageUpdated(*page);
    }
    // The page shows its preview behind the report.
    if (!load.report.empty())
        ModalMessage(load.report);
}

void Station::ShowDeferredMessages() {
    // Notices, in the order they came: none of them holds up the ticks that follow.
    while (!deferredMessages_.empty()) {
        const std::string text = std::move(deferredMessages_.front());
        deferredMessages_.pop_front();
        Modal([&] {
            prompts_.Notice(text);
            return true;
        });
    }
}

} // namespace rir
