#include "program/ProgramLoader.h"

#include "text/Cp1251.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <unordered_set>

namespace rir {

namespace {

// Columns past the output are read as fields but mean nothing; the count stops here so that a
// line of any number of fields cannot overflow it.
constexpr int COLUMN_UNUSED = COLUMN_OUTPUT + 1;

// The title may stand on the first three lines, the display switches on the third.
constexpr int TITLE_LAST_LINE = 3;
constexpr int SWITCH_LINE = 3;
constexpr char TITLE_MARK = '#';

static_assert(2LL * PROGRAM_VALUE_LIMIT <= std::numeric_limits<int>::max(),
              "a time minus the start shift fits a step's time");

int LineNumber(long long count) {
    return count < std::numeric_limits<int>::max() ? static_cast<int>(count)
                                                   : std::numeric_limits<int>::max();
}

// Where one field lies, for the rules that look at it.
struct FieldPlace {
    int column = 0;
    int line = 0;        // the file's line the field stands on, from 1
    int countedLine = 0; // the line the title and switch rules count it on (below)
    bool endsLine = false;
};

class ProgramReader {
public:
    ProgramReader(const ProgramLimits& limits, ProgramLoad& out) : limits_(limits), out_(out) {}

    void Field(std::string_view text, const FieldPlace& at) {
        // A first field of line 3 whose CR LF ends it counts as lying on line 4 and would not be
        // scanned; it is all the same the switch line an operator wrote ("Ur=1,Ul=0" on its own).
        if (at.column == COLUMN_TIME &&
            (at.countedLine == SWITCH_LINE || (at.line == SWITCH_LINE && at.endsLine)))
            ScanDisplaySwitches(text, out_.switches);
        switch (at.column) {
        case COLUMN_TIME:
            time_ = ReadProgramWhole(text);
            break;
        case COLUMN_CURRENT:
            curr_ = ReadProgramAmount(text, limits_.currScale);
            break;
        case COLUMN_VOLTAGE:
            volt_ = ReadProgramAmount(text, limits_.voltScale);
            break;
        case COLUMN_OUTPUT:
            output_ = ReadProgramWhole(text);
            Row(at.line);
            break;
        default:
            break;
        }
        if (at.countedLine <= TITLE_LAST_LINE && text.front() == TITLE_MARK)
            Title(text.substr(1));
    }

private:
    void Row(int line) {
        // Every value is saturated at PROGRAM_VALUE_LIMIT: the sum is taken in 64 bits, and a
        // time minus the shift (two limits at most) still fits an int.
        const long long sum = static_cast<long long>(time_) + curr_ + volt_ + output_;
        if (sum <= 0)
            return; // a heading of words, a row of zeros
        if (out_.steps.empty() && time_ != 0)
            out_.startShift = time_;
        const long long shifted = static_cast<long long>(time_) - out_.startShift;
        if (shifted > MAX_PROGRAM_SECONDS) {
            out_.errors.beyondEnd.push_back(line);
            return;
        }
        const int time = static_cast<int>(shifted);
        if (!TakeTime(time)) {
            out_.errors.duplicates.push_back(line);
            return;
        }
        int curr = curr_;
        if (curr > limits_.currMax) {
            out_.errors.currAbove.push_back(line);
            curr = limits_.currMax;
        } else if (curr < limits_.currMin) {
            out_.errors.currBelow.push_back(line);
            curr = limits_.currMin;
        }
        int volt = volt_;
        if (volt > limits_.voltMax) {
            out_.errors.voltAbove.push_back(line);
            volt = limits_.voltMax;
        } else if (volt < limits_.voltMin) {
            out_.errors.voltBelow.push_back(line);
            volt = limits_.voltMin;
        }
        out_.steps.emplace_back(time, curr, volt, output_, std::nullopt);
        out_.voltLimitMax = std::max(out_.voltLimitMax, volt);
        out_.currLimitMax = std::max(out_.currLimitMax, curr);
    }

    // False when an earlier step already has this time.
    bool TakeTime(int time) {
        if (time < 0)
            return earlyTimes_.insert(time).second;
        if (times_.empty())
            times_.resize(static_cast<std::size_t>(MAX_PROGRAM_SECONDS) + 1);
        const auto k = static_cast<std::size_t>(time);
        if (times_[k])
            return false;
        times_[k] = true;
        return true;
    }

    // Commas become points in every field, the title's included.
    void Title(std::string_view text) {
        std::string title(text.substr(0, std::min(text.size(), PROGRAM_TITLE_LENGTH)));
        std::replace(title.begin(), title.end(), ',', '.');
        if (text.size() > PROGRAM_TITLE_LENGTH)
            title += TITLE_CUT_MARK;
        out_.title = Cp1251ToUtf8(title);
    }

    const ProgramLimits& limits_;
    ProgramLoad& out_;
    // The four column values carry over from line to line: an empty field keeps the last one.
    int time_ = 0;
    int curr_ = 0;
    int volt_ = 0;
    int output_ = 0;
    std::vector<bool> times_;            // times 0..MAX_PROGRAM_SECONDS already stepped
    std::unordered_set<int> earlyTimes_; // times before the start, where rows run backwards
};

} // namespace

ProgramLoad LoadProgramFile(std::string_view bytes, std::string_view fileName, const ProgramLimits& limits) {
    ProgramLoad out;
    ProgramReader reader(limits, out);
    const std::size_t n = bytes.size();
    long long lineEnds = 0; // CR LF pairs read so far
    int column = COLUMN_TIME;
    std::string scratch;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t start = i;
        bool strayBreak = false; // a CR or LF that is not a line end: dropped from the text
        std::size_t end = start;
        for (; end < n; ++end) {
            const char c = bytes[end];
            if (c == ';')
                break;
            if (c == '\r' && end + 1 < n && bytes[end + 1] == '\n')
                break;
            if (c == '\r' || c == '\n')
                strayBreak = true;
        }
        FieldPlace at;
        at.column = column;
        at.line = LineNumber(1 + lineEnds);
        at.endsLine = end < n && bytes[end] == '\r';
        if (at.endsLine)
            ++lineEnds;
        // The title and switch rules count the CR LF that ends a field as already read: such a
        // field counts as lying on the next line.
        at.countedLine = LineNumber(1 + lineEnds);

        std::string_view text = bytes.substr(start, end - start);
        if (strayBreak) {
            scratch.clear();
            std::copy_if(text.begin(), text.end(), std::back_inserter(scratch),
                         [](char c) { return c != '\r' && c != '\n'; });
            text = scratch;
        }
        if (!text.empty())
            reader.Field(text, at);

        column = at.endsLine ? COLUMN_TIME : std::min(column + 1, COLUMN_UNUSED);
        i = end >= n ? n : end + (at.endsLine ? 2 : 1);
    }

    out.loaded = !out.steps.empty();
    if (out.loaded) {
        out.report = ProgramReportText(fileName, out.errors, limits, out.startShift);
    } else {
        // Nothing of such a file reaches the page.
        out.title.clear();
        out.switches = {};
        out.report = FormatText(NO_STEPS_FORMAT, {fileName});
    }
    return out;
}

} // namespace rir
