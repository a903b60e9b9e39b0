// Turns a checked reply into the page's record, its poll entry's state, the queue's
// acknowledgements and re-identification requests, and second-channel pages.
#pragma once

#include <span>

#include "bus/BusState.h"
#include "bus/FrameCodec.h"
#include "bus/PollList.h"

namespace rir {

class DevicePage;

// How decoding creates, removes and finds pages: the main window's tab operations.
class PageDirectory {
public:
    virtual ~PageDirectory() = default;
    virtual void AddDevice(int address, int channel) = 0;
    virtual void DeleteDevice(int address, int channel) = 0;
    virtual DevicePage* FindPage(int address, int channel) const = 0;
};

// RefreshView codes.
inline constexpr int REFRESH_VALUES = 0;  // identity, limits and measurements changed
inline constexpr int REFRESH_MODULES = 1; // module values changed
inline constexpr int REFRESH_LAYOUT = 2;  // module configuration changed
inline constexpr int REFRESH_ACK = 10;    // a limit or output write was acknowledged

enum class DecodeResult {
    Decoded,
    NotDecoded, // a function code the station does not know: logged only
    Malformed,  // the payload is shorter than its layout: nothing was taken from it
};

struct DecodeContext {
    BusState& bus;
    BusShared& shared;
    PageDirectory& pages;
    Framing framing;
};

// `values` is the reply without its checksum: address (not in RS-232 mode), function, payload.
// `page` is the main page of the reply's address (in RS-232 mode the selected page); its poll
// entry is looked up by the page's address and channel.
DecodeResult DecodeReply(DecodeContext& context, DevicePage& page, std::span<const int> values);

} // namespace rir
