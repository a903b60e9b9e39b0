// A station with scripted prompts and a listener that counts, for tests of the main window logic.
#pragma once

#include "QueuedCommands.h"
#include "app/EventLog.h"
#include "app/Station.h"
#include "bus/FrameCodec.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rir::test {

class ScriptedPrompts : public Prompts {
public:
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;                 // answers to Ask, in order; "Нет" when none is left
    std::deque<std::optional<int>> addresses; // answers to AskAddress, in order
    std::vector<int> proposed;
    std::deque<std::optional<ModuleSetupValues>> moduleSetups; // answers to RunModuleSetup, in order
    std::vector<ModuleSetupValues> moduleSetupsGiven;
    std::deque<std::optional<std::string>> programFiles; // answers to ChooseProgramFile, in order
    int programFileDialogs = 0;
    std::deque<std::optional<std::string>> saveFiles; // answers to ChooseSaveFile, in order
    std::vector<std::string> proposedSaveNames;
    std::deque<std::optional<NetworkPortFields>> networkPorts; // answers to AskNetworkPort, in order
    std::vector<NetworkPortFields> networkPortsProposed;

    // Runs while a message box is "open", as events would come in under it.
    std::function<void()> whileMessage;

    void Message(const std::string& text) override {
        messages.push_back(text);
        if (whileMessage)
            whileMessage();
    }
    bool Ask(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<int> AskAddress(int p) override {
        proposed.push_back(p);
        if (addresses.empty())
            return std::nullopt;
        auto a = addresses.front();
        addresses.pop_front();
        return a;
    }
    std::optional<ModuleSetupValues> RunModuleSetup(const ModuleSetupValues& given) override {
        moduleSetupsGiven.push_back(given);
        if (moduleSetups.empty())
            return std::nullopt;
        auto answer = moduleSetups.front();
        moduleSetups.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseProgramFile() override {
        ++programFileDialogs;
        if (programFiles.empty())
            return std::nullopt;
        auto answer = programFiles.front();
        programFiles.pop_front();
        return answer;
    }
    std::optional<std::string> ChooseSaveFile(const std::string& proposed) override {
        proposedSaveNames.push_back(proposed);
        if (saveFiles.empty())
            return std::nullopt;
        auto answer = saveFiles.front();
        saveFiles.pop_front();
        return answer;
    }
    std::optional<NetworkPortFields> AskNetworkPort(const NetworkPortFields& proposed) override {
        networkPortsProposed.push_back(proposed);
        if (networkPorts.empty())
            return std::nullopt;
        auto answer = networkPorts.front();
        networkPorts.pop_front();
        return answer;
    }
};

// Settings that list one tab per address, channel 0.
inline StoredSettings Tabs(const std::vector<int>& addresses) {
    StoredSettings s;
    for (int a : addresses)
        s.tabSections.push_back({"#" + std::to_string(a), a, 0});
    return s;
}

class CountingListener : public StationListener {
public:
    int added = 0, removed = 0, changed = 0, tabs = 0, menus = 0, logs = 0, layouts = 0, statuses = 0;
    void PageAdded(DevicePage&) override { ++added; }
    void PageRemoved(DevicePage&) override { ++removed; }
    void PageChanged(DevicePage&) override { ++changed; }
    void TabsChanged() override { ++tabs; }
    void MenuChanged() override { ++menus; }
    void LogChanged() override { ++logs; }
    void LayoutChanged() override { ++layouts; }
    void StatusChanged() override { ++statuses; }
};

struct StationRig {
    ScriptedPrompts prompts;
    CountingListener listener;
    EventLog log;
    Station station;

    explicit StationRig(std::vector<std::string> ports = {"COM1", "COM4"},
                        std::string logPath = "/nonexistent-dir/zadida.txt")
        : log(std::move(logPath)), station(std::move(ports), prompts, listener, log) {
        log.setClock([] {
            std::tm t{};
            t.tm_hour = 9;
            t.tm_min = 5;
            t.tm_sec = 3;
            return t;
        });
    }

    // The log's lines without their time stamps.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        const std::string& text = log.screenText();
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find("\r\n", start);
            const std::string line = text.substr(start, end - start);
            lines.push_back(line.size() >= 9 ? line.substr(9) : line);
            if (end == std::string::npos)
                break;
            start = end + 2;
        }
        return lines;
    }
    std::string LastLine() const {
        const auto l = Lines();
        return l.empty() ? std::string() : l.back();
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> c;
        for (const auto& p : station.pages())
            c.push_back(Station::TabCaption(p->state.address, p->state.channel));
        return c;
    }
    PollEntry Entry(int address, int channel) {
        std::lock_guard<BusLock> hold(station.busLink().shared().lock);
        const int i = FindEntry(station.busLink().shared().pollList, address, channel);
        return i < 0 ? PollEntry{} : station.busLink().shared().pollList[static_cast<std::size_t>(i)];
    }
    void SetEntryState(int address, int channel, PollState state) {
        std::lock_guard<BusLock> hold(station.busLink().shared().lock);
        const int i = FindEntry(station.busLink().shared().pollList, address, channel);
        station.busLink().shared().pollList[static_cast<std::size_t>(i)].state = state;
    }
    test::Commands Queue() {
        std::lock_guard<BusLock> hold(station.busLink().shared().lock);
        return test::CommandsOf(station.busLink().shared().requestQueue);
    }

    // A note about the port from the bus thread, with its event.
    void PortNote(BusNote note, const std::string& port, PortError error = {}) {
        {
            std::lock_guard<BusLock> hold(station.busLink().shared().lock);
            station.busLink().shared().portEvents.push_back({note, port, std::move(error)});
        }
        station.OnBusReply(note);
    }
    // How many log lines so far are exactly `text`.
    std::size_t Count(const std::string& text) const {
        const auto lines = Lines();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), text));
    }

    // One finished bus cycle whose answer is `raw` (as read from the wire).
    // One cycle's bytes as the bus thread hands them over; `request` is what the cycle sent
    // (none: the reply is taken by its own address).
    void Reply(const std::vector<int>& raw, const std::vector<int>& request = {}) {
        {
            std::lock_guard<BusLock> hold(station.busLink().shared().lock);
            station.busLink().shared().replyBuffer = raw;
            station.busLink().shared().cycleRequest = request;
        }
        station.OnBusReply(BusNote::CycleDone);
    }
    // An RTU reply: application bytes plus their CRC.
    void ReplyRtu(std::vector<int> app, const std::vector<int>& request = {}) {
        const std::uint16_t crc = Crc16(std::span<const int>(app));
        app.push_back(crc & 0xFF);
        app.push_back(crc >> 8);
        Reply(app, request);
    }
};

} // namespace rir::test
