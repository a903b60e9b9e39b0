// The intake of the bus thread's notifications: take each cycle's reply, log it, count misses,
// hand it to decoding, carry out the page operations decoding decided, and give the bus thread
// its next go-ahead.
#include "app/Station.h"

#include "bus/BusThread.h"
#include "bus/ReplyIntake.h"
#include "device/PageControls.h"

namespace rir {

void Station::OnBusReply(int wParam, int lParam) {
    const NotifyBatch batch(*this);
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
        } else if (lParam == NOTE_PORT_OPENED || lParam == NOTE_PORT_LOST || lParam == NOTE_PORT_REFUSED) {
            OnPortEvent(lParam);
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

DevicePage* Station::ReplyPage(Framing framing, int address) const {
    // On a point-to-point line the one supply answers for the selected page.
    return framing == Framing::Rs232 ? SelectedPage() : FindPage(address, 0);
}

void Station::CountPageMiss(DevicePage* page) {
    if (!page)
        return;
    const bool gone = WithEntry(shared_, page->state.address, page->state.channel,
                                [](PollEntry& e) { return CountMiss(e); });
    if (gone) {
        page->state.online = false;
        page->UpdateControls();
        PageUpdated(*page);
    }
}

void Station::ShowRequestRate(DevicePage& page) {
    const int ticks = bus_.timerTicks;
    if (ticks == 0)
        return; // before the first tick after the port opened
    const int rate = bus_.requestsSent * TIMER_TICKS_PER_SECOND / ticks;
    if (page.view.SetTextIfChanged(IDC_DIAGNOSTIC,
                                   "Скорость: " + std::to_string(rate) + " пакетов в секунду"))
        PageUpdated(page);
}

void Station::DigestReply() {
    const Framing framing = FramingOf(bus_.asciiMode, bus_.rs232Mode);
    // The reply is the UI thread's from the end-of-cycle note until the next go-ahead.
    ReplyBuffer raw;
    {
        std::lock_guard<BusLock> hold(shared_.lock);
        raw = shared_.replyBuffer;
    }
    const TakenReply reply = TakeReply(
        framing, raw, [this, framing](int address) { return ReplyPage(framing, address) != nullptr; });

    DevicePage* page = nullptr;
    if (reply.kind != ReplyKind::Nothing && reply.kind != ReplyKind::MalformedAscii) {
        page = ReplyPage(framing, reply.address);
        if (page)
            ShowRequestRate(*page);
    }

    switch (reply.kind) {
    case ReplyKind::Nothing:
        break;
    case ReplyKind::MalformedAscii:
        LogLine(0, "ASCII, считали неправильные данные (" + std::to_string(reply.rawCount) +
                       " байт), игнорируем");
        ++link_.badReplies; // noise on an ASCII line shows here rather than as a checksum
        break;
    case ReplyKind::NoReply:
        ++link_.misses;
        // Counted like any missing reply, so a dead line greys the page, on a point-to-point
        // line too (its marker is the function code alone).
        LogLine(0, "Устройство " + std::to_string(reply.address) + " не ответило (ф. " +
                       std::to_string(reply.function) + ")");
        CountPageMiss(page);
        break;
    case ReplyKind::BadChecksum:
        ++link_.badReplies;
        LogValues("Считали данные от устройства, но неверная контрольная сумма!", reply.values);
        CountPageMiss(page);
        break;
    case ReplyKind::Short:
        ++link_.misses;
        LogValues("Считали неполные данные от устройства #" + std::to_string(reply.address) + ", игнорируем:",
                  raw);
        CountPageMiss(page);
        break;
    case ReplyKind::NoPage:
        ++replies_;
        LogLine(0, "Нету панельки для устройства #" + std::to_string(reply.values[0]));
        break;
    case ReplyKind::Valid:
        DecodeValid(framing, *page, reply);
        break;
    }
    ReleaseNextCycle();
}

void Station::ReleaseNextCycle() {
    cycleUnderWay_ = false;
    if (pollingRunning_) {
        cycleUnderWay_ = true;
        eStart_.Set();
    }
}

void Station::DecodeValid(Framing framing, DevicePage& page, const TakenReply& reply) {
    const std::vector<int>& values = reply.values;
    const int address = page.state.address;
    const int channel = page.state.channel;
    DecodeContext context{bus_, shared_, framing};
    const DecodeOutcome outcome = DecodeReply(context, page, values);
    if (outcome.result == DecodeResult::Malformed) {
        ++link_.misses;
    } else {
        ++replies_;
        // Only a reply that could be read proves the supply is there: a run of short replies
        // must still add up to a disconnection.
        WithEntry(shared_, address, channel, [](PollEntry& e) {
            ClearMisses(e);
            return true;
        });
    }
    PageUpdated(page);
    // Decoding is done with the page: now pages may come and go.
    ApplyPageOperations(page, outcome.operations);

    const std::string count = std::to_string(values.size());
    if (outcome.result == DecodeResult::Malformed) {
        // Too short for its layout: nothing was taken from it, and it counts as a miss.
        LogValues("Считали неполные данные от устройства #" + std::to_string(values[0]) + " (ф. " +
                      std::to_string(reply.function) + "), игнорируем:",
                  values);
        CountPageMiss(FindPage(address, channel));
    } else if (reply.function > 0x7F) {
        LogValues("Считали " + count + " байт от устройства #" + std::to_string(values[0]) + " (ф. !" +
                      std::to_string(reply.function - EXCEPTION_FLAG) + "!): ",
                  values);
    } else if (framing == Framing::Rs232) {
        LogValues("Считали " + count + " байт от устройства #0 (ф. " + std::to_string(values[0]) + "): ",
                  values);
    } else {
        LogValues("Считали " + count + " байт от устройства #" + std::to_string(values[0]) + " (ф. " +
                      std::to_string(values[1]) + "): ",
                  values);
    }
}

void Station::ApplyPageOperations(DevicePage& decoded, const std::vector<PageOperation>& operations) {
    // `decoded` may itself be removed by one of the operations; it is not touched after that.
    const int address = decoded.state.address;
    const int channel = decoded.state.channel;
    for (const PageOperation& op : operations) {
        switch (op.kind) {
        case PageOperation::Kind::ShowChannelB: {
            if (!FindPage(op.address, 1))
                AddDevice(op.address, 1);
            DevicePage* main = FindPage(address, channel);
            DevicePage* b = FindPage(op.address, 1);
            if (main && b) {
                ApplyChannelB(shared_, *main, *b, op.channelB);
                PageUpdated(*b);
                PageUpdated(*main);
            }
            break;
        }
        case PageOperation::Kind::RemoveChannelB:
            DeleteDevice(op.address, 1);
            break;
        case PageOperation::Kind::Reidentify: {
            // One identification per supply waits at most: a supply that answers everything
            // with exception 5 would otherwise add one for every reply, for as long as it runs.
            const int request[] = {op.address, FC_IDENTIFY, op.data};
            std::lock_guard<BusLock> hold(shared_.lock);
            if (!HasQueuedCommand(shared_.requestQueue, op.address, FC_IDENTIFY))
                AppendCommand(shared_.requestQueue, request);
            break;
        }
        }
    }
}

} // namespace rir
