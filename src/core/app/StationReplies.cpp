// The intake of the bus thread's notifications: unwrap and check each reply, log it, count
// misses, hand it to decoding, and give the bus thread its next go-ahead.
#include "app/Station.h"

#include "bus/BusThread.h"
#include "device/PageControls.h"

namespace rir {

void Station::OnBusReply(int wParam, int lParam) {
    if (wParam == NOTE_THREAD) {
        if (lParam == NOTE_STARTED) {
            LogLine(MSG_BUS_THREAD_STARTED, "");
        } else if (lParam == NOTE_SENT) {
            std::string text;
            {
                std::lock_guard<BusLock> hold(shared_.lock);
                text.swap(shared_.sentText);
            }
            LogLine(0, text);
        } else if (lParam == NOTE_EMPTY_LIST) {
            LogLine(MSG_NO_DEVICES, "");
        }
        return;
    }
    if (wParam == NOTE_CYCLE_DONE)
        DigestReply();
}

void Station::LogValues(std::string line, const std::vector<int>& values) {
    for (int v : values)
        line += " " + std::to_string(v);
    LogLine(0, line);
}

int Station::MainEntryIndex(int address) const {
    // On a point-to-point line the one supply is the first entry, whatever its address.
    const PollList& list = shared_.pollList;
    if (bus_.rs232Mode)
        return list.empty() ? -1 : 0;
    return FindEntry(list, address, 0);
}

void Station::CountPageMiss(DevicePage* page) {
    if (!page)
        return;
    bool gone = false;
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        auto& list = shared_.pollList;
        const int i = MainEntryIndex(page->state.address);
        if (i >= 0)
            gone = CountMiss(list[static_cast<std::size_t>(i)]);
    }
    if (gone) {
        page->state.online = false;
        page->UpdateControls();
        PageUpdated(*page);
    }
}

void Station::DigestReply() {
    const Framing framing = FramingOf(bus_.asciiMode, bus_.rs232Mode);
    // The reply is the UI thread's from the end-of-cycle note until the next go-ahead.
    std::vector<int> values;
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        values = shared_.replyBuffer;
    }

    bool handled = false;
    if (framing == Framing::Ascii && values.size() > 2) {
        if (HasAsciiFrameShape(values)) {
            values = AsciiUnwrap(values);
        } else {
            LogLine(0, "ASCII, считали неправильные данные (" + std::to_string(values.size()) +
                           " байт), игнорируем");
            values.clear();
            handled = true;
        }
    }

    const std::size_t n = values.size();
    DevicePage* page = nullptr;
    if (!handled && n >= 1) {
        page = framing == Framing::Rs232 ? SelectedPage() : FindPage(values[0], 0);
        const int ticks = bus_.timerTicks;
        if (page && ticks != 0) {
            const int rate = bus_.requestsSent * 10 / ticks;
            if (page->view.SetTextIfChanged(IDC_DIAGNOSTIC,
                                            "Скорость: " + std::to_string(rate) + " пакетов в секунду"))
                listener_.PageChanged(*page);
        }
    }

    if (!handled && n == 1 && framing == Framing::Rs232) {
        // The one supply on a point-to-point line stayed silent (its marker is the function
        // code alone). Counted like any missing reply, so a dead line greys the page too.
        LogLine(0, "Устройство 0 не ответило (ф. " + std::to_string(values[0]) + ")");
        CountPageMiss(page);
    } else if (!handled && n >= 2) {
        if (n == 2 && framing != Framing::Rs232) {
            LogLine(0, "Устройство " + std::to_string(values[0]) + " не ответило (ф. " +
                           std::to_string(values[1]) + ")");
            CountPageMiss(page);
        } else if (!ChecksumOk(framing, values)) {
            LogValues("Считали данные от устройства, но неверная контрольная сумма!", values);
            CountPageMiss(page);
        } else {
            values.resize(n - ChecksumLength(framing));
            const int function = values[framing == Framing::Rs232 ? 0 : 1];
            if (!page) {
                LogLine(0, "Нету панельки для устройства #" + std::to_string(values[0]));
            } else {
                DecodeContext context{bus_, shared_, *this, framing};
                const int address = page->state.address;
                const DecodeResult result = DecodeReply(context, *page, values);
                if (result != DecodeResult::Malformed) {
                    // Only a reply that could be read proves the supply is there: a run of short
                    // replies must still add up to a disconnection.
                    std::lock_guard<BusLock> hold(shared_.lock);
                    auto& list = shared_.pollList;
                    const int i = MainEntryIndex(address);
                    if (i >= 0)
                        ClearMisses(list[static_cast<std::size_t>(i)]);
                }
                // Decoding may have removed pages; look the page up again before touching it.
                DevicePage* after = framing == Framing::Rs232 ? SelectedPage() : FindPage(address, 0);
                if (after)
                    PageUpdated(*after);
                if (DevicePage* b = FindPage(address, 1))
                    PageUpdated(*b);
                const std::string count = std::to_string(values.size());
                if (result == DecodeResult::Malformed) {
                    // Too short for its layout: nothing was taken from it, and it counts as a miss.
                    LogValues("Считали неполные данные от устройства #" + std::to_string(values[0]) +
                                  " (ф. " + std::to_string(function) + "), игнорируем:",
                              values);
                    CountPageMiss(after);
                } else if (function > 0x7F) {
                    LogValues("Считали " + count + " байт от устройства #" + std::to_string(values[0]) +
                                  " (ф. !" + std::to_string(function - EXCEPTION_FLAG) + "!): ",
                              values);
                } else if (framing == Framing::Rs232) {
                    LogValues("Считали " + count + " байт от устройства #0 (ф. " + std::to_string(values[0]) +
                                  "): ",
                              values);
                } else {
                    LogValues("Считали " + count + " байт от устройства #" + std::to_string(values[0]) +
                                  " (ф. " + std::to_string(values[1]) + "): ",
                              values);
                }
            }
        }
    }

    if (pollingRunning_)
        eStart_.Set();
}

} // namespace rir
