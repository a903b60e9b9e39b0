// The intake of the bus thread's notifications: take each cycle's reply, log it, count misses,
// hand it to decoding, carry out the page operations decoding decided, and give the bus thread
// its next go-ahead.
#include "app/Station.h"

#include "bus/BusThread.h"
#include "bus/ReplyIntake.h"
#include "device/PageControls.h"

namespace rir {

namespace {

std::string WrongAnswerText(const std::vector<int>& request, const ClassifiedReply& reply) {
    return "Ответ не на тот запрос: ждали от устройства #" + std::to_string(request[0]) + " (ф. " +
           std::to_string(request[1]) + "), считали от #" + std::to_string(reply.address) + " (ф. " +
           std::to_string(reply.function) + "), игнорируем:";
}

// What a decoded reply proves of its supply.
enum class ReplyProof {
    Data,     // it answered with what was asked (or "no modules" to module data)
    Identity, // its identification: it is there, but the page still has no data
    Refusal,  // an exception reply to one of its polls
};

// The exception code of an exception reply; -1 when it has none.
int ExceptionCode(Framing framing, const std::vector<int>& values) {
    const std::size_t at = framing == Framing::Rs232 ? 1 : 2;
    return values.size() > at ? values[at] : -1;
}

ReplyProof ProofOf(Framing framing, const ClassifiedReply& reply) {
    if (reply.function == FC_IDENTIFY)
        return ReplyProof::Identity;
    if (reply.function < EXCEPTION_FLAG)
        return ReplyProof::Data;
    const int refused = reply.function - EXCEPTION_FLAG;
    if (refused == FC_MODULES && ExceptionCode(framing, reply.values) == 1)
        return ReplyProof::Data; // a supply without modules says so
    // A refused command (output write, module settings) is the command's matter: it is sent
    // again and dropped after its sends, while the polls go on proving the supply.
    const bool poll = refused == FC_IDENTIFY || refused == FC_MEASURE || refused == FC_MODULES;
    return poll ? ReplyProof::Refusal : ReplyProof::Data;
}

// Said once, when a supply that answers without data starts getting the offline share.
std::string BackOffText(Framing framing, int address, const ClassifiedReply& reply) {
    const std::string how =
        reply.function == FC_IDENTIFY
            ? "отвечает только на опознание"
            : "отвечает на опрос отказом (код " + std::to_string(ExceptionCode(framing, reply.values)) + ")";
    return "Устройство " + std::to_string(address) + " " + how +
           ", опрашиваем его реже, пока не ответит данными";
}

} // namespace

void Station::OnBusReply(BusNote note) {
    const NotifyBatch batch(*this);
    switch (note) {
    case BusNote::Started:
        LogLine(MSG_BUS_THREAD_STARTED, "");
        break;
    case BusNote::Sent: {
        LogLine(0, busLink_.TakeSentText());
        break;
    }
    case BusNote::EmptyList:
        LogLine(MSG_NO_DEVICES, "");
        break;
    case BusNote::PortOpened:
    case BusNote::PortLost:
    case BusNote::PortRefused:
        OnPortEvent(note);
        break;
    case BusNote::CycleDone:
        DigestReply();
        break;
    }
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
    CountAlarmLinkError(page);
    const bool gone = WithEntry(shared_, page->state.address, page->state.channel,
                                [](PollEntry& e) { return CountMiss(e); });
    if (gone) {
        page->state.online = false;
        page->UpdateControls();
        PageUpdated(*page);
    }
}

void Station::ShowRequestRate(DevicePage& page) {
    const std::optional<int> rate = busLink_.requestRate(TIMER_TICKS_PER_SECOND);
    if (!rate)
        return; // before the first tick after the port opened
    if (page.view.SetTextIfChanged(IDC_DIAGNOSTIC,
                                   "Скорость: " + std::to_string(*rate) + " пакетов в секунду"))
        PageUpdated(page);
}

void Station::DigestReply() {
    const Framing framing = bus_.framing.load();
    const CycleReply cycle = busLink_.cycleReply();
    const ReplyBuffer& raw = cycle.raw;
    const std::vector<int>& request = cycle.request;
    const ClassifiedReply reply =
        cycle.end == CycleEnd::NoReply
            ? NoReplyTo(framing, request)
            : ClassifyReply(
                  framing, raw,
                  [this, framing](int address) { return ReplyPage(framing, address) != nullptr; }, request);

    // Whatever went wrong with a reply is a miss of the supply that was asked: a garbled frame's
    // first byte names no supply, and a reply from another address is not this one's answer.
    // Without the request (never on the bus) the reply's own address stands in.
    const bool asked = framing != Framing::Rs232 && !request.empty();
    DevicePage* polled = ReplyPage(framing, asked ? request[0] : reply.address);
    DevicePage* page = nullptr;
    if (reply.kind != ReplyKind::Nothing && reply.kind != ReplyKind::MalformedAscii &&
        reply.kind != ReplyKind::WrongAnswer) {
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
        if (asked)
            CountPageMiss(polled);
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
        CountPageMiss(polled);
        break;
    case ReplyKind::Short:
        ++link_.misses;
        LogValues("Считали неполные данные от устройства #" + std::to_string(reply.address) + ", игнорируем:",
                  raw);
        CountPageMiss(polled);
        break;
    case ReplyKind::WrongAnswer:
        ++link_.misses;
        LogValues(WrongAnswerText(request, reply), reply.values);
        CountPageMiss(polled);
        // Once the page greys from them, it says who answers in its supply's place.
        if (polled != nullptr && !polled->state.online) {
            polled->ShowAnswerNotice(FillIn(PAGE_ANSWERS_FOREIGN, {std::to_string(reply.address)}));
            PageUpdated(*polled);
        }
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
    busLink_.CycleTaken();
    if (pollingRunning_)
        busLink_.GoAhead();
}

void Station::DecodeValid(Framing framing, DevicePage& page, const ClassifiedReply& reply) {
    const std::vector<int>& values = reply.values;
    const int address = page.state.address;
    const int channel = page.state.channel;
    DecodeContext context{bus_, shared_, framing};
    const DecodeOutcome outcome = DecodeReply(context, page, values);
    bool backedOff = false;
    if (outcome.result == DecodeResult::Malformed) {
        ++link_.misses;
    } else {
        ++replies_;
        // Only a reply that could be read proves the supply is there: a run of short replies
        // must still add up to a disconnection. A refused poll proves it is there but gives the
        // page nothing, so it counts as a miss too: a supply that only refuses greys like a
        // silent one instead of showing its last values for as long as it refuses.
        switch (ProofOf(framing, reply)) {
        case ReplyProof::Data:
            WithEntry(shared_, address, channel, [](PollEntry& e) {
                ClearMisses(e);
                return true;
            });
            page.ShowAnswerNotice("");
            break;
        case ReplyProof::Identity:
            backedOff =
                WithEntry(shared_, address, channel, [](PollEntry& e) { return ClearMissesOnIdentity(e); });
            break;
        case ReplyProof::Refusal:
            CountPageMiss(&page);
            backedOff = WithEntry(shared_, address, channel, [](PollEntry& e) { return CountRefusal(e); });
            if (!page.state.online)
                page.ShowAnswerNotice(
                    FillIn(PAGE_ANSWERS_REFUSAL, {std::to_string(ExceptionCode(framing, values))}));
            break;
        }
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
    if (backedOff)
        LogLine(0, BackOffText(framing, address, reply));
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
            // A supply that refuses its polls is asked to identify itself in the offline
            // supplies' turn instead: queued, it would jump ahead of its neighbours' polls.
            const int request[] = {op.address, FC_IDENTIFY, op.data};
            std::lock_guard<BusLock> hold(shared_.lock);
            const int entry = FindEntry(shared_.pollList, op.address, 0);
            const bool backingOff =
                entry >= 0 && shared_.pollList[static_cast<std::size_t>(entry)].backingOff();
            if (!backingOff && !HasQueuedCommand(shared_.requestQueue, op.address, FC_IDENTIFY))
                AppendCommand(shared_.requestQueue, request);
            break;
        }
        }
    }
}

} // namespace rir
