// One simulated supply: identity and ratings of its model, limits and output on a resistive load,
// its module configuration and modules, and a second output channel in the two-channel
// configuration. It answers one request at a time with the reply's function byte and payload;
// the bus adds the address and the framing.
#pragma once

#include "Regulation.h"
#include "SimCounter.h"
#include "SimRatings.h"
#include "SimReverse.h"
#include "SimThermometer.h"
#include "SimTimer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace rir::sim {

inline constexpr int EXCEPTION_ILLEGAL_FUNCTION = 1; // also: the supply has no modules
inline constexpr int EXCEPTION_ILLEGAL_DATA = 3;
// "Identify me again": the supply's module set changed since the station last asked who it is.
inline constexpr int EXCEPTION_IDENTIFY_AGAIN = 5;

inline constexpr double DEFAULT_LOAD_OHMS = 10.0;

struct SimReply {
    int function = 0; // the request's function, or it + 0x80 for an exception
    std::vector<std::uint8_t> payload;
};

struct SimChannel {
    int voltLimit = 0;
    int currLimit = 0;
    bool on = false;
    RegulationOutput meas;

    int Status() const { return meas.Status(on); }
};

// The configurations a supply can be set to: 0..6 and 9.
bool IsSimConfig(int config);

class SimSupply {
public:
    // `config`: the module configuration, or nothing for a supply without modules.
    SimSupply(const SimRatings& ratings, std::optional<int> config, double loadOhms = DEFAULT_LOAD_OHMS);

    // A request's function code (below 0x80) and data bytes.
    SimReply Handle(int function, std::span<const std::uint8_t> data);

    // Time passing; modules count and act in steps of at most 100 ms.
    void Advance(std::int64_t milliseconds);

    void SetLoad(double ohms);
    void HoldTemperature(double celsius) { thermometer_.Hold(celsius); }

    const SimRatings& ratings() const { return ratings_; }
    double loadOhms() const { return loadOhms_; }
    int config() const { return config_; }
    const SimChannel& main() const { return main_; }
    const SimChannel& channelB() const { return channelB_; }
    const SimTimer& timer() const { return timer_; }
    const SimCounter& counter() const { return counter_; }
    const SimReverse& reverse() const { return reverse_; }
    const SimThermometer& thermometer() const { return thermometer_; }
    int WattRaw() const;
    // A change of module configuration was taken and no identification request came since.
    bool awaitsIdentification() const { return awaitsIdentification_; }

private:
    SimReply Identify(std::span<const std::uint8_t> data);
    SimReply Measure() const;
    SimReply Control(std::span<const std::uint8_t> data);
    SimReply Modules() const;
    SimReply Extended(std::span<const std::uint8_t> data);

    void WriteOutput(SimChannel& channel, std::span<const std::uint8_t> payload, bool mainChannel);
    void SetMainOutput(bool on);
    void Apply(ModuleAction action);
    void Step(int milliseconds);
    void Update();
    RegulationOutput RegulateChannel(const SimChannel& channel, int currLimit, bool on) const;

    bool HasTimer() const;
    bool HasCounter() const;
    bool HasReverse() const;
    bool HasWatt() const;
    bool HasChannelB() const;
    bool HasThermo() const;

    SimRatings ratings_;
    int voltScale_;
    int currScale_;
    bool hasModules_;
    int config_;
    bool awaitsIdentification_ = false;
    double loadOhms_;
    SimChannel main_;
    SimChannel channelB_;
    SimTimer timer_;
    SimCounter counter_;
    SimReverse reverse_;
    SimThermometer thermometer_;
};

} // namespace rir::sim
