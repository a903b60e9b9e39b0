#include "program/ProgramLoader.h"

#include "program/PartArea.h"
#include "program/Sha256.h"
#include "text/Cp1251.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace rir {

namespace {

// A limit clamped to the supply's range; the line goes into the report's list for the side it
// left by.
int ClampNoted(int value, int min, int max, int line, std::vector<int>& below, std::vector<int>& above) {
    if (value > max) {
        above.push_back(line);
        return max;
    }
    if (value < min) {
        below.push_back(line);
        return min;
    }
    return value;
}

// Columns past the output are read as fields but mean nothing; a journal writes its measurements
// there, and they are never checked.
constexpr int COLUMN_COUNT = COLUMN_OUTPUT + 1;

// The title may stand on the first three lines, the display switches on the third. These head
// lines may hold anything: a title, a heading of words, the switches.
constexpr int TITLE_LAST_LINE = 3;
constexpr int SWITCH_LINE = 3;
constexpr int HEAD_LINES = 3;
constexpr char TITLE_MARK = '#';

static_assert(2LL * PROGRAM_VALUE_LIMIT <= std::numeric_limits<int>::max(),
              "a time minus the start shift fits a step's time");

int LineNumber(long long count) {
    return count < std::numeric_limits<int>::max() ? static_cast<int>(count)
                                                   : std::numeric_limits<int>::max();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t Digits(std::string_view text, std::size_t i) {
    const std::size_t from = i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i - from;
}

// The whole of a field (blanks around it aside) is a whole number: a sign and digits.
bool IsWholeNumber(std::string_view text) {
    text = Trimmed(text);
    std::size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    const std::size_t n = Digits(text, i);
    return n > 0 && i + n == text.size();
}

// The whole of a field is a decimal amount: a sign, digits with a point or a comma, an exponent.
bool IsAmount(std::string_view text) {
    text = Trimmed(text);
    std::size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    std::size_t n = Digits(text, i);
    i += n;
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        const std::size_t f = Digits(text, i + 1);
        n += f;
        i += 1 + f;
    }
    if (n == 0)
        return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        const std::size_t e = Digits(text, j);
        if (e == 0)
            return false;
        i = j + e;
    }
    return i == text.size();
}

// A spreadsheet saving "UTF-8 CSV" writes a byte-order mark; some editors write UTF-8 without
// one. Such a file is valid UTF-8 with at least one character beyond ASCII, which a Windows-1251
// text of Russian words practically never is (two lower-case letters in a row are no UTF-8).
constexpr std::string_view UTF8_MARK = "\xEF\xBB\xBF";

bool IsMultibyteUtf8(std::string_view bytes) {
    bool multibyte = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        std::uint32_t ch = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            ch = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            ch = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            ch = b & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > bytes.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80)
                return false;
            ch = (ch << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are no UTF-8.
        if ((length == 3 && ch < 0x800) || (length == 4 && (ch < 0x10000 || ch > 0x10FFFF)) ||
            (ch >= 0xD800 && ch <= 0xDFFF))
            return false;
        multibyte = true;
        i += static_cast<std::size_t>(length);
    }
    return multibyte;
}

// A field in lower case as far as Windows-1251 letters go, to match the heading markers.
std::string Lowered(std::string_view text) {
    std::string lowered(Trimmed(text));
    for (char& c : lowered) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xC0 && b <= 0xDF)
            c = static_cast<char>(b + 0x20);
        else if (b >= 'A' && b <= 'Z')
            c = static_cast<char>(b + ('a' - 'A'));
    }
    return lowered;
}

// A density is read this much finer than the supply's current scale, so that 0,35 A/dm² on a
// supply of whole amperes is not truncated to nothing before it is multiplied by the area.
constexpr long long DENSITY_FINE = 1000;

// One row of the file that is to become a step, before the steps are put in time order.
struct Row {
    int time = 0;
    int curr = 0;
    int volt = 0;
    int output = 0;
    int line = 0;
    bool late = false;         // its time is below that of a row above it
    std::optional<int> charge; // thousandths of an ampere-hour that end the step
};

class ProgramReader {
public:
    ProgramReader(ProgramLoad& out, std::optional<int> area) : out_(out), area_(area) {}

    // One line of the file, its fields without CR and LF. endsLine: the line has its line end.
    void Line(const std::vector<std::string_view>& fields, int line, bool endsLine,
              const ProgramLimits& limits) {
        HeadRules(fields, line, endsLine);
        const std::size_t used = std::min(fields.size(), static_cast<std::size_t>(COLUMN_COUNT));
        bool blank = true;
        for (std::size_t c = 0; c < used; ++c)
            blank = blank && fields[c].empty();
        if (blank)
            return; // an empty line, a line of ";"
        if (Trimmed(fields[0]).rfind(TITLE_MARK, 0) == 0)
            return; // a title, a note, a journal's marker
        bool anyNumber = false;
        bool anyWord = false;
        for (std::size_t c = 0; c < used; ++c) {
            if (fields[c].empty())
                continue;
            const bool whole = c == COLUMN_TIME || c == COLUMN_OUTPUT;
            const bool number = whole ? IsWholeNumber(fields[c]) : IsAmount(fields[c]);
            anyNumber = anyNumber || number;
            anyWord = anyWord || !number;
        }
        if (fields.size() < COLUMN_COUNT) {
            // A line of a single word is a note and the display switches may stand alone on the
            // head's lines ("Ur=1,Ul=0"); a line with figures in it is a row the operator meant,
            // separated by "," or cut short.
            const auto has = [&](auto what) {
                return std::any_of(fields.begin(), fields.end(),
                                   [&](std::string_view f) { return std::any_of(f.begin(), f.end(), what); });
            };
            const bool switches = line <= HEAD_LINES && has([](char c) { return c == '='; });
            if (has(IsDigit) && !switches)
                out_.errors.fewFields.push_back(line);
            return;
        }
        if (!anyNumber) {
            // A heading of words; before the first row it may carry the markers.
            if (rows_.empty())
                Heading(fields);
            return;
        }
        std::optional<int> charge;
        if (chargeColumn_ && *chargeColumn_ < fields.size() && !fields[*chargeColumn_].empty()) {
            if (!IsAmount(fields[*chargeColumn_])) {
                out_.errors.notANumber.push_back(line);
                return;
            }
            charge = ReadProgramAmount(fields[*chargeColumn_], CHARGE_SCALE);
        }
        if (anyWord) {
            out_.errors.notANumber.push_back(line);
            return;
        }
        // An empty field keeps the value of the line before.
        if (!fields[COLUMN_TIME].empty())
            time_ = ReadProgramWhole(fields[COLUMN_TIME]);
        if (!fields[COLUMN_CURRENT].empty())
            curr_ = ReadProgramAmount(fields[COLUMN_CURRENT],
                                      out_.density ? static_cast<int>(limits.currScale * DENSITY_FINE)
                                                   : limits.currScale);
        if (!fields[COLUMN_VOLTAGE].empty())
            volt_ = ReadProgramAmount(fields[COLUMN_VOLTAGE], limits.voltScale);
        if (fields[COLUMN_OUTPUT].empty())
            return; // no output: no step (a journal's second that nobody measured)
        output_ = ReadProgramWhole(fields[COLUMN_OUTPUT]);
        TakeRow(line, charge);
    }

    std::vector<Row>& rows() { return rows_; }

private:
    void HeadRules(const std::vector<std::string_view>& fields, int line, bool endsLine) {
        if (line > TITLE_LAST_LINE)
            return;
        for (std::size_t c = 0; c < fields.size(); ++c) {
            const std::string_view text = fields[c];
            if (text.empty())
                continue;
            // The title and switch rules count the line end that ends a field as already read:
            // the last field of a line counts as lying on the next line.
            const bool last = c + 1 == fields.size();
            const int counted = line + (last && endsLine ? 1 : 0);
            // A first field of line 3 whose line end ends it counts as lying on line 4 and
            // would not be scanned; it is all the same the switch line an operator wrote
            // ("Ur=1,Ul=0" on its own).
            if (c == COLUMN_TIME && (counted == SWITCH_LINE || (line == SWITCH_LINE && last && endsLine)))
                ScanDisplaySwitches(text, out_.switches);
            if (counted <= TITLE_LAST_LINE && text.front() == TITLE_MARK)
                Title(text.substr(1));
        }
    }

    void Heading(const std::vector<std::string_view>& fields) {
        if (fields.size() > COLUMN_CURRENT &&
            Lowered(fields[COLUMN_CURRENT]).find(DENSITY_MARK) != std::string::npos)
            out_.density = true;
        for (std::size_t c = COLUMN_COUNT; c < fields.size(); ++c) {
            if (Lowered(fields[c]) == CHARGE_HEADING)
                chargeColumn_ = c;
        }
    }

    // A density times the area, rounded to the supply's unit; without an area the file cannot
    // be loaded, and the row is kept only to be counted.
    int CurrentOf(int read) {
        if (!out_.density)
            return read;
        if (!area_) {
            out_.needsArea = true;
            return 0;
        }
        constexpr long long DIVISOR = DENSITY_FINE * AREA_SCALE;
        const long long curr = (static_cast<long long>(read) * *area_ + DIVISOR / 2) / DIVISOR;
        return static_cast<int>(std::min<long long>(curr, PROGRAM_VALUE_LIMIT));
    }

    void TakeRow(int line, std::optional<int> charge) {
        if (time_ == 0 && curr_ == 0 && volt_ == 0 && output_ == 0)
            return; // a row of zeros
        if (time_ < 0) {
            out_.errors.negativeTime.push_back(line);
            return;
        }
        if (output_ != 0 && output_ != 1) {
            out_.errors.badOutput.push_back(line);
            return;
        }
        const int curr = CurrentOf(curr_);
        if (charge && (*charge <= 0 || output_ == 0 || (curr == 0 && !out_.needsArea))) {
            // Such a step would never end; "0" ends it at once and means a typing slip as well.
            out_.errors.chargeWithoutCurrent.push_back(line);
            return;
        }
        const bool late = !rows_.empty() && time_ < latest_;
        latest_ = std::max(latest_, time_);
        rows_.push_back({time_, curr, volt_, output_, line, late, charge});
    }

    // Commas become points in every field, the title's included.
    void Title(std::string_view text) {
        std::string title(text.substr(0, std::min(text.size(), PROGRAM_TITLE_LENGTH)));
        std::replace(title.begin(), title.end(), ',', '.');
        if (text.size() > PROGRAM_TITLE_LENGTH)
            title += TITLE_CUT_MARK;
        out_.title = Cp1251ToUtf8(title);
    }

    ProgramLoad& out_;
    std::optional<int> area_;
    std::optional<std::size_t> chargeColumn_;
    // The four column values carry over from line to line: an empty field keeps the last one.
    int time_ = 0;
    int curr_ = 0;
    int volt_ = 0;
    int output_ = 0;
    int latest_ = 0;
    std::vector<Row> rows_;
};

// Whole seconds, rounded up, that `charge` (thousandths of an A·h) takes at a current of `curr`
// raw units; at least one, and beyond the longest program when it would be longer.
long long ExpectedChargeSeconds(int charge, int curr, int currScale) {
    const long long numerator = static_cast<long long>(charge) * SECONDS_PER_HOUR * std::max(currScale, 1);
    const long long denominator = static_cast<long long>(curr) * CHARGE_SCALE;
    const long long seconds = (numerator + denominator - 1) / denominator;
    return std::clamp<long long>(seconds, 1, MAX_PROGRAM_SECONDS + 1LL);
}

// The rows in time order, the first of each time kept; the shift, the length and the limits
// checked; the steps made.
void MakeSteps(std::vector<Row>& rows, const ProgramLimits& limits, ProgramLoad& out) {
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.time < b.time; });
    ProgramErrors& errors = out.errors;
    out.steps.reserve(rows.size());
    // A charge step's follower stands at the charge step's expected end; the rows after it keep
    // their spacing, shifted by as much.
    long long shift = 0;
    std::optional<long long> chargeEnd;
    int lastFileTime = 0;
    int lastLine = 0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Row& r = rows[k];
        if (!out.steps.empty() && r.time == lastFileTime) {
            errors.duplicates.push_back(r.line); // no step, no limit checks
            continue;
        }
        if (out.steps.empty())
            out.startShift = r.time;
        lastFileTime = r.time;
        lastLine = r.line;
        long long shifted = r.time - out.startShift + shift;
        if (chargeEnd) {
            shift += *chargeEnd - shifted;
            shifted = *chargeEnd;
            chargeEnd.reset();
        }
        if (shifted > MAX_PROGRAM_SECONDS) {
            errors.beyondEnd.push_back(r.line);
            continue;
        }
        if (r.late)
            errors.outOfOrder.push_back(r.line);
        const int curr =
            ClampNoted(r.curr, limits.currMin, limits.currMax, r.line, errors.currBelow, errors.currAbove);
        const int volt =
            ClampNoted(r.volt, limits.voltMin, limits.voltMax, r.line, errors.voltBelow, errors.voltAbove);
        const int time = static_cast<int>(shifted);
        out.steps.emplace_back(time, curr, volt, r.output, std::nullopt);
        out.stepCharges.push_back(r.charge);
        out.voltLimitMax = std::max(out.voltLimitMax, volt);
        out.currLimitMax = std::max(out.currLimitMax, curr);
        if (r.charge && curr > 0)
            chargeEnd = time + ExpectedChargeSeconds(*r.charge, curr, limits.currScale);
    }
    if (chargeEnd) {
        // A last step that ends by charge: the program ends with it, its values staying in force.
        if (*chargeEnd > MAX_PROGRAM_SECONDS) {
            errors.beyondEnd.push_back(lastLine);
        } else {
            ChartSample end = out.steps.back();
            end.time = static_cast<int>(*chargeEnd);
            out.steps.push_back(end);
            out.stepCharges.emplace_back();
        }
    }
    // The report names lines in file order.
    for (std::vector<int>* list :
         {&errors.duplicates, &errors.currAbove, &errors.currBelow, &errors.voltAbove, &errors.voltBelow,
          &errors.beyondEnd, &errors.outOfOrder})
        std::sort(list->begin(), list->end());
}

// The first byte below a blank that is neither a tab nor a line end, and DEL.
std::optional<std::size_t> FindControlByte(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F)
            return i;
    }
    return std::nullopt;
}

} // namespace

ProgramLoad LoadProgramFile(std::string_view bytes, std::string_view fileName, const ProgramLimits& limits,
                            std::optional<int> area) {
    ProgramLoad out;
    out.sha256 = Sha256Hex(bytes);
    std::string converted;
    if (bytes.rfind(UTF8_MARK, 0) == 0) {
        converted = Utf8ToCp1251(bytes.substr(UTF8_MARK.size()));
        bytes = converted;
    } else if (IsMultibyteUtf8(bytes)) {
        converted = Utf8ToCp1251(bytes);
        bytes = converted;
    }
    if (const std::optional<std::size_t> at = FindControlByte(bytes)) {
        const long long line =
            1 + std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(*at), '\n');
        out.report =
            FormatText(CONTROL_BYTE_FORMAT, {fileName, std::to_string(line),
                                             std::to_string(static_cast<unsigned char>(bytes[*at]))});
        return out;
    }

    ProgramReader reader(out, area);
    std::vector<std::string_view> fields;
    std::string cleaned;
    long long line = 1;
    std::size_t i = 0;
    while (i < bytes.size()) {
        // A line ends with LF, CR LF or the end of the file; a CR elsewhere is dropped.
        const std::size_t lf = bytes.find('\n', i);
        const bool endsLine = lf != std::string_view::npos;
        const std::size_t end = endsLine ? lf : bytes.size();
        std::string_view text = bytes.substr(i, end - i);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        // A CR that ends no line is dropped from its field.
        if (text.find('\r') != std::string_view::npos) {
            cleaned.assign(text);
            std::erase(cleaned, '\r');
            text = cleaned;
        }
        fields.clear();
        for (std::size_t from = 0;;) {
            const std::size_t semicolon = text.find(';', from);
            if (semicolon == std::string_view::npos) {
                fields.push_back(text.substr(from));
                break;
            }
            fields.push_back(text.substr(from, semicolon - from));
            from = semicolon + 1;
        }
        reader.Line(fields, LineNumber(line), endsLine, limits);
        ++line;
        i = endsLine ? end + 1 : bytes.size();
    }

    if (out.needsArea) {
        out.report = FormatText(DENSITY_NEEDS_AREA_FORMAT, {fileName});
        return out;
    }
    if (out.density)
        out.area = area;
    MakeSteps(reader.rows(), limits, out);
    std::vector<Row>().swap(reader.rows());
    if (!out.errors.beyondEnd.empty()) {
        // The steps after a row beyond the end may be the ones that switch the output off.
        std::vector<ChartSample>().swap(out.steps);
        out.stepCharges.clear();
        out.title.clear();
        out.switches = {};
        out.report = FormatText(REPORT_HEADER_FORMAT, {fileName}) + ProgramErrorsText(out.errors, limits) +
                     std::string(NOT_LOADED_TEXT);
        return out;
    }
    out.loaded = !out.steps.empty();
    if (out.loaded) {
        out.report = ProgramReportText(fileName, out.errors, limits, out.startShift);
    } else {
        // Nothing of such a file reaches the page; the lines that were meant as rows are named.
        out.title.clear();
        out.switches = {};
        out.startShift = 0;
        out.report = FormatText(NO_STEPS_FORMAT, {fileName});
        if (out.errors.any())
            out.report += "\n" + ProgramErrorsText(out.errors, limits);
    }
    return out;
}

} // namespace rir
