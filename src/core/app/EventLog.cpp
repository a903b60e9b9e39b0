#include "app/EventLog.h"

#include "text/Cp1251.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace rir {
namespace {

std::tm CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local;
}

void AppendTwoDigits(std::string& out, int value, int highest) {
    value = std::clamp(value, 0, highest);
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

} // namespace

std::string FormatLogStamp(const std::tm& local) {
    std::string stamp;
    AppendTwoDigits(stamp, local.tm_hour, 23);
    stamp.push_back(':');
    AppendTwoDigits(stamp, local.tm_min, 59);
    stamp.push_back(':');
    AppendTwoDigits(stamp, local.tm_sec, 60); // 60: a leap second
    stamp.push_back(' ');
    return stamp;
}

std::string RotatedLogPath(const std::string& path) {
    std::filesystem::path p(path);
    if (!p.has_stem() || !p.has_extension())
        return path + ".1";
    const std::string name = p.stem().string() + ".1" + p.extension().string();
    return p.replace_filename(name).string();
}

int CountCrLfLines(const std::string& text) {
    int lines = 1;
    for (std::size_t pos = text.find("\r\n"); pos != std::string::npos; pos = text.find("\r\n", pos + 2))
        ++lines;
    return lines;
}

EventLog::EventLog(std::string filePath)
    : filePath_(std::move(filePath)), clock_(CurrentLocalTime), asciiFlag_([] { return false; }) {}

EventLog::~EventLog() {
    CloseFile();
}

void EventLog::setClock(LocalClock clock) {
    clock_ = clock ? std::move(clock) : CurrentLocalTime;
}

void EventLog::setLineCounter(LineCounter counter, LineMeasure measure) {
    lineCounter_ = std::move(counter);
    lineMeasure_ = std::move(measure);
    RecountLines(); // a new counter is a new measure
}

void EventLog::RecountLines() {
    countedWith_ = lineMeasure_ ? lineMeasure_() : 0;
    lineCounts_.clear();
    displayedLines_ = 1;
    AddCounts(screen_);
}

void EventLog::AddCounts(std::string_view text) {
    // By the pieces between CR LF pairs, as the box breaks its lines: a text logged with a CR LF
    // of its own is two lines of the box, and leaves it as two.
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos)
            return; // every line ends with CR LF: nothing follows the last one
        const int count = CountLine(text.substr(start, end - start));
        lineCounts_.push_back(count);
        displayedLines_ += count;
        start = end + 2;
    }
}

int EventLog::CountLine(std::string_view line) const {
    if (!lineCounter_)
        return 1;
    // Whatever the view says, a line takes at least one line of the box and no more than one
    // per byte (a box squeezed to nothing shows a character a line).
    const int most = static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(line.size(), 1), 1u << 20));
    return std::clamp(lineCounter_(line), 1, most);
}

void EventLog::setAsciiFlag(AsciiFlag flag) {
    asciiFlag_ = flag ? std::move(flag) : [] { return false; };
}

void EventLog::setFileProblem(FileProblem report) {
    fileProblem_ = std::move(report);
}

void EventLog::LogLine(int index, std::string_view text) {
    std::string line = FormatLogStamp(clock_());
    const bool fromTable = index > 0 && index < static_cast<int>(MessageTable.size());
    line += fromTable ? MessageTable[static_cast<std::size_t>(index)] : text;
    if (index == MSG_BUS_THREAD_STARTED)
        line += asciiFlag_() ? "MODBUS-ASCII" : "MODBUS-RTU";
    line += "\r\n";

    if (logToScreen_) {
        if (lineMeasure_ && lineMeasure_() != countedWith_)
            RecountLines();
        // The oldest line goes first, so the box never grows much past what it can show.
        if (displayedLines_ > LOG_SCREEN_MAX_LINES && !lineCounts_.empty()) {
            const std::size_t end = screen_.find("\r\n");
            screen_.erase(0, end + 2);
            displayedLines_ -= lineCounts_.front();
            lineCounts_.pop_front();
            DropFromDelta();
        }
        AddCounts(line);
        screen_ += line;
        delta_.appended += line;
        screenChanged_ = true;
    }
    if (logToFile_ && file_ != nullptr)
        WriteToFile(line);
}

void EventLog::ToggleLogToScreen() {
    logToScreen_ = !logToScreen_;
    // The box shows again whatever it held when it was hidden.
    screenChanged_ = true;
    delta_ = ScreenDelta{true, 0, screen_};
}

void EventLog::ToggleLogToFile() {
    if (logToFile_) {
        LogLine(0, LOG_FILE_OFF_TEXT);
        logToFile_ = false;
        CloseFile();
    } else {
        logToFile_ = true;
        OpenFile();
        LogLine(0, LOG_FILE_ON_TEXT);
    }
}

bool EventLog::OpenFile() {
    CloseFile();
    // The file of the last start, or of the time before logging was switched off, is kept as the
    // previous generation; the new one starts empty. An empty file does not push out an older
    // one that says something. Only a file is renamed: a log pointed at a device keeps its name.
    std::error_code error;
    if (std::filesystem::is_regular_file(filePath_, error) &&
        std::filesystem::file_size(filePath_, error) > 0 && !error)
        std::filesystem::rename(filePath_, RotatedLogPath(filePath_), error);
    // Binary mode: the lines carry their own CR LF.
    file_ = std::fopen(filePath_.c_str(), "wb");
    fileBytes_ = 0;
    if (file_ == nullptr) {
        ReportFileProblem(LOG_FILE_CREATE_FAILED);
        return false;
    }
    return true;
}

void EventLog::CloseFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

bool EventLog::takeScreenChanged() {
    return std::exchange(screenChanged_, false);
}

void EventLog::DropFromDelta() {
    // The oldest line on screen is still in the box unless the box has already been told to
    // drop all it holds; then it is the first line waiting to be appended.
    if (!delta_.reset && delta_.dropped < viewLines_) {
        ++delta_.dropped;
        return;
    }
    const std::size_t end = delta_.appended.find("\r\n");
    delta_.appended.erase(0, end == std::string::npos ? std::string::npos : end + 2);
}

ScreenDelta EventLog::takeScreenDelta() {
    ScreenDelta taken = std::exchange(delta_, ScreenDelta{});
    const int appendedLines = CountCrLfLines(taken.appended) - 1;
    viewLines_ = (taken.reset ? 0 : viewLines_ - taken.dropped) + appendedLines;
    return taken;
}

bool EventLog::RotateFile() {
    // Opening keeps the full file as the previous generation. Should the rename fail (the older
    // generation cannot be replaced), the file starts anew all the same: losing the oldest lines
    // is better than a log that grows without end.
    return OpenFile();
}

void EventLog::WriteToFile(const std::string& line) {
    const std::string bytes = Utf8ToCp1251(line);
    if (fileBytes_ > 0 && fileBytes_ + bytes.size() > rotateBytes_ && !RotateFile())
        return;
    // Flushed line by line, so the file is complete up to the last event if the station dies.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    fileBytes_ += bytes.size();
    if (std::fflush(file_) != 0 || !written) {
        // A full disk or a vanished medium: stop writing rather than fail on every line; the
        // next switching on tries afresh.
        CloseFile();
        ReportFileProblem(LOG_FILE_WRITE_FAILED);
    }
}

void EventLog::ReportFileProblem(std::string_view format) {
    if (!fileProblem_)
        return;
    std::string text(format);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, filePath_);
    fileProblem_(text);
}

} // namespace rir
