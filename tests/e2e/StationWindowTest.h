// The whole station window on a simulator's port, for the end-to-end tests of what an operator
// does on a device page: finding its controls, clicking them, typing into them.
#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "CDevicePage.h"
#include "CMainDlg.h"
#include "StationPort.h"
#include "ScratchDir.h"
#include "SimProcess.h"

namespace rir::test {

// Deadlines for a loaded two-core machine: the bus runs at 9600 baud.
constexpr int STATE_DEADLINE_MS = 60000;

class StationWindowTest : public ::testing::Test {
protected:
    // The station on the simulator's port with the given settings file text (none: a first run,
    // which shows address 15 in MODBUS-ASCII).
    void Open(const std::string& settings = {}) {
        settingsFile = scratch.dir / "rir-controller.INI";
        if (!settings.empty())
            std::ofstream(settingsFile, std::ios::binary) << settings;
        ASSERT_TRUE(sim && sim->running()) << (sim ? sim->error() : std::string("no simulator"));
        window = std::make_unique<CMainDlg>(std::vector<std::string>{sim->path()}, settingsFile,
                                            MakeStationPort);
        ASSERT_TRUE(window->Initialise());
        window->show();
        window->activateWindow();
    }

    DevicePage* Page(int address) const { return window->station().FindPage(address, 0); }
    bool Online(int address) const { return Page(address) != nullptr && Page(address)->state.online; }
    QWidget* Control(int address, int id) const { return window->viewOf(Page(address))->controlById(id); }
    QString WidgetText(int address, int id) const {
        QWidget* w = Control(address, id);
        if (auto* label = qobject_cast<QLabel*>(w))
            return label->text();
        if (auto* button = qobject_cast<QPushButton*>(w))
            return button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            return edit->text();
        return {};
    }
    void Click(int address, int id) const { qobject_cast<QPushButton*>(Control(address, id))->click(); }
    // A limit edit, focused with its text selected, as the operator starts typing over it.
    QLineEdit* StartTyping(int address, int id) const {
        auto* edit = qobject_cast<QLineEdit*>(Control(address, id));
        edit->setFocus();
        edit->selectAll();
        return edit;
    }

    ScratchDir scratch;
    std::filesystem::path settingsFile;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<CMainDlg> window;
};

} // namespace rir::test
