// The station's operations with values, as a face or the plant calls them: what became of one,
// in words the caller can pass on.
#pragma once

#include <string>
#include <string_view>

namespace rir {

// Done (no error), or why nothing was done.
struct OperationResult {
    std::string error;
    bool ok() const { return error.empty(); }
    friend bool operator==(const OperationResult&, const OperationResult&) = default;
};

inline constexpr std::string_view OPERATION_NO_DEVICE = "нет такого устройства";
inline constexpr std::string_view OPERATION_OUT_OF_RANGE = "вне диапазона";
inline constexpr std::string_view OPERATION_NO_VALUE = "нет значения";
inline constexpr std::string_view OPERATION_OFFLINE = "устройство не отвечает";
inline constexpr std::string_view OPERATION_PROGRAM_LOADED = "загружена программа";
inline constexpr std::string_view OPERATION_NO_PROGRAM = "нет программы";
inline constexpr std::string_view OPERATION_PROGRAM_RUNS = "программа идет";
inline constexpr std::string_view OPERATION_PROGRAM_PAUSED = "программа на паузе";
inline constexpr std::string_view OPERATION_PROGRAM_NOT_RUNNING = "программа не идет";
inline constexpr std::string_view OPERATION_PROGRAM_NOT_PAUSED = "программа не на паузе";

// What a program's buttons do: "Старт", "Пауза", "Продолжить", "Отменить".
enum class ProgramStep { Start, Pause, Continue, Cancel };

} // namespace rir
