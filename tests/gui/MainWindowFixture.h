// A started main window for widget tests: two ports, a settings file in a fresh directory, and a
// bus thread whose port never opens: it says so once per port it is given and then only retries
// quietly, never posting a reply.
#pragma once

#include "CDevicePage.h"
#include "CMainDlg.h"
#include "ModalWatcher.h"
#include "TabControl.h"
#include "bus/SerialPort.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace rir {

class IdlePort final : public SerialPort {
public:
    bool Open(const std::string&) override { return false; }
    void Configure(const LineSettings&) override {}
    void SetReadTimeout(int, int) override {}
    ReadResult ReadByte() override { return {}; }
    bool WriteBytes(std::uint32_t, int) override { return false; }
    void DiscardInput(std::chrono::microseconds) override {}
    void Close() override {}
    PortError lastError() const override { return {PortErrorKind::NotFound, "No such file or directory"}; }
};

class MainWindowTest : public ::testing::Test {
protected:
    std::filesystem::path settingsFile() const {
        return std::filesystem::path(dir.filePath(QStringLiteral("rir-controller.ini")).toStdString());
    }

    // Makes the window, starts it as the application does and shows it, then waits for the bus
    // thread's notices (it runs, the first port will not open) to reach the log, so no line
    // arrives later unasked. False when the station refused to start (no port) or the notices
    // never came.
    bool Start(std::vector<std::string> ports = {"COM1", "COM4"}) {
        window.reset();
        window = std::make_unique<CMainDlg>(std::move(ports), settingsFile(),
                                            [] { return std::make_unique<IdlePort>(); });
        const bool started = window->Initialise();
        linesAtInitialise = LogLines();
        if (!started)
            return false;
        window->show();
        Station& station = window->station();
        const std::string refused =
            "Порт " + station.portList()[station.busLink().state().portIndex] + " не открывается: ";
        return WaitFor([this, &refused] {
            const auto lines = LogLines();
            return window->isVisible() && !window->centralWidget()->size().isEmpty() && lines.size() >= 2 &&
                   lines[lines.size() - 2].starts_with(BUS_THREAD_STARTED) &&
                   lines.back().starts_with(refused);
        });
    }

    QAction* Action(int id) const {
        QAction* a = window->action(id);
        EXPECT_NE(a, nullptr) << "no menu item " << id;
        return a;
    }

    // The items of popup `index` of the menu bar, a separator as "-".
    std::vector<std::string> PopupTexts(int index) const {
        std::vector<std::string> texts;
        const auto bar = window->menuBar()->actions();
        if (index >= bar.size() || bar[index]->menu() == nullptr)
            return texts;
        for (const QAction* a : bar[index]->menu()->actions())
            texts.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return texts;
    }

    std::vector<std::string> TabCaptions() const {
        std::vector<std::string> captions;
        for (int i = 0; i < window->tabControl()->count(); ++i)
            captions.push_back(window->tabControl()->tabText(i).toStdString());
        return captions;
    }

    CDevicePage* View(int address, int channel) const {
        return window->viewOf(window->station().FindPage(address, channel));
    }

    // Whether the page of (address, channel) is on screen; a missing page fails the test.
    bool PageShown(int address, int channel) const {
        const CDevicePage* view = View(address, channel);
        EXPECT_NE(view, nullptr) << "no page for #" << address << " channel " << channel;
        return view != nullptr && view->isVisible();
    }

    void ClickTab(int index) const {
        TabControl* tabs = window->tabControl();
        const QPoint at = tabs->tabRect(index).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, tabs->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(tabs, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, tabs->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tabs, &release);
    }

    // Resizes the window until its client area (the central widget, under the menu bar) has
    // the given size. False when the window would not take it.
    bool ResizeClient(QSize client) const {
        for (int attempt = 0; attempt < 4; ++attempt) {
            const QSize now = window->centralWidget()->size();
            if (now == client)
                return true;
            window->resize(window->size() + (client - now));
            WaitFor([&] { return window->centralWidget()->size() != now; }, 5000);
        }
        return window->centralWidget()->size() == client;
    }

    // The log box's lines without their "HH:MM:SS " stamps; a line without a stamp is kept whole
    // (and so fails any comparison with a logged text).
    std::vector<std::string> LogLines() const {
        static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d "));
        window->ApplyLog();
        QStringList lines = window->logEdit()->toPlainText().split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast(); // the empty piece after the last line end
        std::vector<std::string> texts;
        for (const QString& line : lines) {
            const bool stamped = stamp.match(line).hasMatch();
            texts.push_back(stamped ? line.mid(9).toStdString() : "(no stamp) " + line.toStdString());
        }
        return texts;
    }

    std::string LastLogLine() const {
        const auto lines = LogLines();
        return lines.empty() ? std::string() : lines.back();
    }

    static constexpr const char* BUS_THREAD_STARTED = "Поток работы с com-портами запущен. Протокол: ";
    // The fixture's port never opens; the station says so once, with the reason.
    static std::string Refused(const std::string& port) {
        return "Порт " + port +
               " не открывается: порт не найден (No such file or directory). Повторяем попытки раз в секунду";
    }

    QTemporaryDir dir;
    std::unique_ptr<CMainDlg> window;
    // The log box's lines as Initialise() left them, before any event was handled.
    std::vector<std::string> linesAtInitialise;
};

} // namespace rir
