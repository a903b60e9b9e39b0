// Turns a checked reply into the page's record, its poll entry's state and the queue's
// acknowledgements, and says which page operations the reply calls for. Decoding never creates
// or removes a page itself: the page it writes into must outlive the call.
#pragma once

#include <span>
#include <vector>

#include "bus/BusState.h"
#include "bus/FrameCodec.h"
#include "bus/PollList.h"
#include "device/Payloads.h"

namespace rir {

class DevicePage;

enum class DecodeResult {
    Decoded,
    NotDecoded, // a function code the station does not know: logged only
    Malformed,  // the payload is shorter than its layout: nothing was taken from it
};

// What the station does once decoding is done with the page, in the order given.
struct PageOperation {
    enum class Kind {
        ShowChannelB,   // make sure the second channel's page exists, then ApplyChannelB
        RemoveChannelB, // the supply no longer reports a second channel
        Reidentify,     // queue FC_IDENTIFY with `data` to `address`
    };
    Kind kind = Kind::Reidentify;
    int address = 0;
    int data = 0;              // Reidentify: 1 after exception 5, 2 after a module change
    MeasurePayload channelB{}; // ShowChannelB: the second channel's values
};

struct DecodeOutcome {
    DecodeResult result = DecodeResult::NotDecoded;
    std::vector<PageOperation> operations;
};

struct DecodeContext {
    BusState& bus;
    BusShared& shared;
    Framing framing;
};

// `values` is the reply without its checksum: address (not in RS-232 mode), function, payload.
// `page` is the reply's page (in RS-232 mode the selected page); its poll entry is the one of
// the page's address and channel.
DecodeOutcome DecodeReply(DecodeContext& context, DevicePage& page, std::span<const int> values);

// The second half of ShowChannelB, once the page `b` of the main page's second channel exists:
// stores its values, copies the main page's ratings and marks both pages as two-channel.
void ApplyChannelB(BusShared& shared, DevicePage& main, DevicePage& b, const MeasurePayload& values);

} // namespace rir
