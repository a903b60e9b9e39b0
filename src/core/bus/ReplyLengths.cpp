#include "bus/ReplyLengths.h"

#include <mutex>

namespace rir {

void ReplyLengths::SetFixed(int function, std::size_t payload) {
    if (function >= 0 && function < static_cast<int>(table_.size()))
        table_[static_cast<std::size_t>(function)] = {Shape::Fixed, payload, nullptr};
}

void ReplyLengths::SetRecords(int function, std::size_t leading, RecordBytes record) {
    if (function >= 0 && function < static_cast<int>(table_.size()) && record != nullptr)
        table_[static_cast<std::size_t>(function)] = {Shape::Records, leading, record};
}

const ReplyLengths::Entry* ReplyLengths::find(int function) const {
    if (function < 0 || function >= static_cast<int>(table_.size()))
        return nullptr;
    return &table_[static_cast<std::size_t>(function)];
}

std::optional<std::size_t> ReplyLengths::fixedPayload(int function) const {
    const Entry* e = find(function);
    if (e == nullptr || e->shape != Shape::Fixed)
        return std::nullopt;
    return e->values;
}

bool ReplyLengths::runsAsRecords(int function) const {
    const Entry* e = find(function);
    return e != nullptr && e->shape == Shape::Records;
}

bool ReplyLengths::EndsAtRecord(std::span<const int> values, std::size_t end) const {
    if (values.size() < REPLY_HEADER_VALUES)
        return false;
    const Entry* e = find(values[1]);
    if (e == nullptr || e->shape != Shape::Records)
        return false;
    std::size_t boundary = REPLY_HEADER_VALUES + e->values;
    // Every header the walk reads lies before `end`, and `end` lies within what has come.
    while (boundary < end && boundary < values.size())
        boundary += e->record(values[boundary]);
    return boundary == end;
}

std::optional<std::size_t> ReplyLengths::LeastWholeLength(std::span<const int> values,
                                                          std::size_t checksumBytes) const {
    if (values.size() < REPLY_HEADER_VALUES)
        return REPLY_HEADER_VALUES + 1 + checksumBytes;
    const Entry* e = find(values[1]);
    if (e == nullptr || e->shape == Shape::Unknown)
        return std::nullopt;
    if (e->shape == Shape::Fixed)
        return REPLY_HEADER_VALUES + e->values + checksumBytes;
    // The first record boundary whose checksum would end at or after what has come. Each header
    // the walk reads lies before that end's checksum, so it has come already.
    std::size_t boundary = REPLY_HEADER_VALUES + e->values;
    while (boundary + checksumBytes < values.size())
        boundary += e->record(values[boundary]);
    return boundary + checksumBytes;
}

namespace {

ReplyLengths& Registry() {
    static ReplyLengths lengths;
    return lengths;
}

std::once_flag registered;

} // namespace

const ReplyLengths& RegisteredReplyLengths() {
    return Registry();
}

void RegisterReplyLengths(const ReplyLengths& lengths) {
    std::call_once(registered, [&] { Registry() = lengths; });
}

} // namespace rir
