// RTU replies of a model-2 supply at the address a first start shows, as the bus thread leaves
// them in the reply buffer (checksum included). `n` numbers a reply: consecutive numbers give
// different values in every field that changes on a live supply.
#pragma once

#include "app/Station.h"
#include "bus/FrameCodec.h"

#include <cstdint>
#include <span>
#include <vector>

namespace rir {

inline constexpr int SUPPLY_ADDRESS = FIRST_RUN_ADDRESS;

using ReplyFrame = std::vector<int>;

inline void PutBigEndian(ReplyFrame& f, std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i)
        f.push_back(static_cast<int>((value >> (8 * i)) & 0xFF));
}

inline ReplyFrame WithCrc(ReplyFrame f) {
    const std::uint16_t crc = Crc16(std::span<const int>(f));
    f.push_back(crc & 0xFF);
    f.push_back(crc >> 8);
    return f;
}

// Model 2: 39.00 V and 15.00 A at most, limits 15.00 V and 10.00 A, scale codes 0.
inline ReplyFrame IdentifyFrame() {
    return WithCrc(
        {SUPPLY_ADDRESS, FC_IDENTIFY, 0x02, 0x0F, 0x3C, 0x05, 0xDC, 0x00, 0x05, 0xDC, 0x03, 0xE8, 0x00});
}

// Measured voltage and current under the limits, output on.
inline ReplyFrame MeasureFrame(std::uint32_t n) {
    ReplyFrame f{SUPPLY_ADDRESS, FC_MEASURE};
    PutBigEndian(f, 1200 + n % 300, 2); // voltage measured
    PutBigEndian(f, 1500, 2);           // voltage limit
    PutBigEndian(f, 400 + (n * 7) % 500, 2);
    PutBigEndian(f, 1000, 2); // current limit
    f.push_back(0x01);
    return WithCrc(f);
}

// Configuration 1: timer and ampere-hour counter; 9 adds the wattmeter and the thermometer.
inline ReplyFrame ModulesFrame(int config, std::uint32_t n) {
    ReplyFrame f{SUPPLY_ADDRESS, FC_MODULES, config};
    f.push_back(0x41); // timer: 4 bytes
    f.push_back(0x01); // counting down
    PutBigEndian(f, 3600 + n, 3);
    f.push_back(0x92); // counter: 9 bytes
    f.push_back(0x00);
    f.push_back(0x00);
    PutBigEndian(f, 12000 + 3 * n, 4); // total
    PutBigEndian(f, 500 + n, 3);       // today
    if (config == 9) {
        f.push_back(0x24); // wattmeter: 2 bytes
        PutBigEndian(f, 180 + n % 97, 2);
        // Thermostat heating to 40.0 °С ± 0.5: temperatures go as tenths of a degree plus 2000.
        f.push_back(0x66); // thermometer: 6 bytes
        PutBigEndian(f, 2000 + 250 + n % 40, 2);
        f.push_back(0x01);
        PutBigEndian(f, 2000 + 400, 2);
        f.push_back(5);
    }
    return WithCrc(f);
}

} // namespace rir
