#include "journal/RunRecord.h"

#include "journal/JournalFormat.h"
#include "program/PartArea.h"
#include "text/Cp1251.h"

namespace rir {

namespace {

// A field of the operator's on one line of its own, in Windows-1251 (one byte a character):
// what would end the line, split the field or refuse the file becomes a blank.
std::string Cleaned(std::string_view utf8) {
    std::string text = Utf8ToCp1251(utf8);
    if (text.size() > RUN_RECORD_FIELD_LENGTH)
        text.resize(RUN_RECORD_FIELD_LENGTH);
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == ';')
            c = ' ';
    }
    return text;
}

std::string Note(std::string_view label, std::string_view value) {
    return Utf8ToCp1251("#" + std::string(label) + ": ") + Cleaned(value) + ";;;\r\n";
}

} // namespace

std::string RunRecordLines(const RunRecord& record, const RunProgramFile& file) {
    std::string lines = Note("Заказ", record.workOrder) + Note("Деталь/подвеска", record.part) +
                        Note("Оператор", record.operatorName);
    lines += Utf8ToCp1251("#Файл: ") + Cleaned(file.name) + ";SHA-256 " + Cleaned(file.sha256) + ";;\r\n";
    if (file.area)
        lines += Utf8ToCp1251("#Площадь: " + PartAreaText(*file.area) + " дм2;;;\r\n");
    return lines;
}

std::string RunEndLine(RunEnd how, long long chargeMilliAh, StampTime at) {
    const std::string_view what = how == RunEnd::Ended       ? RUN_ENDED
                                  : how == RunEnd::Cancelled ? RUN_CANCELLED
                                                             : RUN_CLOSED;
    const long long charge = chargeMilliAh < 0 ? 0 : chargeMilliAh;
    std::string fraction = std::to_string(1000 + charge % 1000).substr(1);
    return JournalMark(
        std::string(what) + " - заряд " + std::to_string(charge / 1000) + "." + fraction + " Ач", at);
}

} // namespace rir
