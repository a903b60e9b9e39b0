// The station's event log: one time-stamped line per event, kept on screen (about the last 100
// displayed lines) and, when switched on, appended to the file "zadida.txt" in Windows-1251.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace rir {

// Fixed log texts by index; index 0 means "the text given with the call".
inline constexpr std::array<std::string_view, 4> MessageTable = {
    "",
    "Поток работы с com-портами запущен. Протокол: ",
    "Поток работы с com-портами завершен",
    "Нету ни одного устройства в списке",
};
inline constexpr int MSG_BUS_THREAD_STARTED = 1; // followed by the framing's name
inline constexpr int MSG_NO_DEVICES = 3;

inline constexpr std::string_view LOG_FILE_NAME = "zadida.txt";
inline constexpr std::string_view LOG_FILE_ON_TEXT = "Включение логирование в файл";
inline constexpr std::string_view LOG_FILE_OFF_TEXT = "Отключение логирование в файл";
// Told to the operator when the log file cannot be created or written; %s is the file's name.
inline constexpr std::string_view LOG_FILE_CREATE_FAILED =
    "Не удалось создать файл лога %s! Лог в файл записываться не будет.";
inline constexpr std::string_view LOG_FILE_WRITE_FAILED =
    "Ошибка записи в файл лога %s! Лог в файл записываться не будет.";

// The log file never grows past this (unless one line alone is longer): the line that would take
// it further first turns the full file into the previous generation (RotatedLogPath, replacing
// the one before) and starts the file anew, so weeks of polling cannot fill the disk.
inline constexpr std::uintmax_t LOG_FILE_ROTATE_BYTES = 10 * 1024 * 1024;

// The previous generation's name: the number goes before the extension, so that it opens like
// the log itself ("zadida.txt" -> "zadida.1.txt", "log" -> "log.1").
std::string RotatedLogPath(const std::string& path);

// Once the box reports more displayed lines than this, each new line drops the oldest one.
inline constexpr int LOG_SCREEN_MAX_LINES = 100;

// "%H:%M:%S " of a broken-down local time: two digits each, then one blank.
std::string FormatLogStamp(const std::tm& local);

// Lines of a text as an unwrapped edit box counts them: the pieces between CR LF pairs, the
// (empty) piece after the last CR LF included, so "" is 1 line and "a\r\n" is 2.
int CountCrLfLines(const std::string& text);

// What changed on screen since the view last took it: the box drops `dropped` lines from its
// top, then appends `appended`. With `reset` it is emptied first and `appended` is the whole text.
struct ScreenDelta {
    bool reset = false;
    int dropped = 0;
    std::string appended; // UTF-8, CR LF line ends
    bool empty() const { return !reset && dropped == 0 && appended.empty(); }
    friend bool operator==(const ScreenDelta&, const ScreenDelta&) = default;
};

class EventLog {
public:
    using LocalClock = std::function<std::tm()>;
    // How many lines the box displays for one log line (its text without the CR LF), wrapped
    // lines counted; a line takes at least one.
    using LineCounter = std::function<int(std::string_view line)>;
    // A number that changes whenever the box's width or font does: the counts taken with the old
    // number are then taken afresh.
    using LineMeasure = std::function<unsigned()>;
    // True while the bus speaks MODBUS-ASCII (RS-232 mode included).
    using AsciiFlag = std::function<bool()>;
    // A message for the operator about the log file.
    using FileProblem = std::function<void(const std::string& text)>;

    explicit EventLog(std::string filePath = std::string(LOG_FILE_NAME));
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    void setClock(LocalClock clock);
    // Each line is counted once, when it is logged (and again when the measure changes), not
    // the whole text for every line. Without a counter every line takes one displayed line.
    void setLineCounter(LineCounter counter, LineMeasure measure = {});
    void setAsciiFlag(AsciiFlag flag);
    void setFileProblem(FileProblem report);
    // The size at which the log file rotates (LOG_FILE_ROTATE_BYTES unless a test wants less).
    void setRotateBytes(std::uintmax_t bytes) { rotateBytes_ = bytes; }

    // One line: the time stamp, MessageTable[index] for an index from 1 to the table's end
    // (text is then ignored) or else text, the framing's name after index 1, and CR LF.
    void LogLine(int index, std::string_view text);

    // Menu "Лог на экран": the screen text is kept while off and shown again when back on.
    void ToggleLogToScreen();
    // Menu "В файл": off writes LOG_FILE_OFF_TEXT as the file's last line before closing it;
    // on creates the file anew and writes LOG_FILE_ON_TEXT as its first line.
    void ToggleLogToFile();

    // The restored switches. They only set the flags: at start-up the station opens the file
    // itself (OpenFile) when logToFile is on, before its first line.
    void setLogToScreen(bool on) { logToScreen_ = on; }
    void setLogToFile(bool on) { logToFile_ = on; }
    bool logToScreen() const { return logToScreen_; }
    bool logToFile() const { return logToFile_; }

    // Creates the file anew (an existing one is emptied). On failure the operator is told once
    // and lines keep reaching the screen only; logToFile keeps its value. Returns success.
    bool OpenFile();
    void CloseFile();
    bool fileOpen() const { return file_ != nullptr; }
    const std::string& filePath() const { return filePath_; }

    // The box's whole text (UTF-8, CR LF line ends), and whether it changed since the view last
    // took it.
    const std::string& screenText() const { return screen_; }
    // The lines the box displays for it: each line's count, and one for the empty line after the
    // last CR LF.
    int screenDisplayedLines() const { return displayedLines_; }
    bool screenChanged() const { return screenChanged_; }
    // Returns whether the text changed and clears the mark.
    bool takeScreenChanged();
    // What the box must do to show screenText(), counted from what it held at the last call.
    ScreenDelta takeScreenDelta();

private:
    void WriteToFile(const std::string& line);
    int CountLine(std::string_view line) const;
    // Counts the lines of a text appended to screen_ (whole lines, each with its CR LF).
    void AddCounts(std::string_view text);
    // Takes every line's count afresh, with the measure as it is now.
    void RecountLines();
    void DropFromDelta();
    bool RotateFile();
    void ReportFileProblem(std::string_view format);

    std::string filePath_;
    std::FILE* file_ = nullptr;
    std::uintmax_t fileBytes_ = 0; // written to the open file since it was created
    std::uintmax_t rotateBytes_ = LOG_FILE_ROTATE_BYTES;
    bool logToScreen_ = true;
    bool logToFile_ = false;
    std::string screen_;
    std::deque<int> lineCounts_; // the displayed lines of each line of screen_, in order
    int displayedLines_ = 1;     // their sum and the empty line after the last CR LF
    unsigned countedWith_ = 0;   // the measure the counts were taken with
    bool screenChanged_ = false;
    ScreenDelta delta_;
    int viewLines_ = 0; // CR LF lines the box held at the last takeScreenDelta

    LocalClock clock_;
    LineCounter lineCounter_;
    LineMeasure lineMeasure_;
    AsciiFlag asciiFlag_;
    FileProblem fileProblem_;
};

} // namespace rir
