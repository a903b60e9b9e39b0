// What a run journal says about the run besides its seconds: the work order, the part or rack
// and the operator, the program file by name and SHA-256 and the load's area, on note lines
// after the head; and how the run ended with the charge delivered, on its last line. Every
// such line begins with "#", so the journal still loads as a program.
#pragma once

#include "chart/ChartSample.h"

#include <optional>
#include <string>
#include <string_view>

namespace rir {

// What the operator gives at "Старт".
struct RunRecord {
    std::string workOrder;
    std::string part;
    std::string operatorName;
    bool operator==(const RunRecord&) const = default;
};

// What the station knows of the program a run carries out.
struct RunProgramFile {
    std::string name;        // without folders, UTF-8
    std::string sha256;      // 64 hexadecimal digits
    std::optional<int> area; // thousandths of a dm²; none for a program in amperes
};

// An operator's field is cut to this many characters.
inline constexpr std::size_t RUN_RECORD_FIELD_LENGTH = 100;

// "#Заказ: ...", "#Деталь/подвеска: ...", "#Оператор: ...", "#Файл: ...; SHA-256 ..." and, for a
// density program, "#Площадь: 1,5 дм2", each CR LF ended, in Windows-1251. A field's line
// ends, control characters and ";" become blanks: nothing an operator types can break a line
// or make the loader refuse the journal.
std::string RunRecordLines(const RunRecord& record, const RunProgramFile& file);

enum class RunEnd {
    Ended,     // the program's last second
    Cancelled, // "Отменить"
    Closed,    // paused at the station's close
};

inline constexpr std::string_view RUN_ENDED = "Работа закончена";
inline constexpr std::string_view RUN_CANCELLED = "Работа отменена";
inline constexpr std::string_view RUN_CLOSED = "Пауза при закрытии программы";

// "#Работа закончена, заряд 1.234 Ач;;;;;;;09.12.2026 05:40:27", CR LF ended, in Windows-1251.
// chargeMilliAh: the charge the station counted over the run, thousandths of an A·h.
std::string RunEndLine(RunEnd how, long long chargeMilliAh, StampTime at);

} // namespace rir
