// The chart saved as a PNG picture from its context menu: the picture is the page's scene at the
// widget's size, written whole or not at all.
#include "ChartWidget.h"

#include "../core/chart/ChartRig.h"
#include "ChartGeometry.h"
#include "FileDialogStep.h"
#include "ModalWatcher.h"
#include "TempDir.h"
#include "chart/ChartPicture.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <variant>

namespace rir {
namespace {

using namespace chartrig;
namespace fs = std::filesystem;

using namespace test::templatechart;

// The chart with its heading and its band of clock times.
const QSize PICTURE_SIZE(W, PICTURE_HEADING_HEIGHT + H + PICTURE_CLOCK_HEIGHT);

QColor ColourOf(ChartPen pen) {
    const Rgb c = PenStyleOf(pen).colour;
    return {c.r, c.g, c.b};
}

QString Utf8(const fs::path& path) {
    return QString::fromStdString(path.string());
}

std::set<std::string> Listing(const fs::path& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

// A fixed local moment for the page's clock: the ninth of December 2026, mid-afternoon.
StampTime NinthOfDecember() {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 9;
    local.tm_hour = 14;
    local.tm_min = 30;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

const ChartPolyline* FirstPolyline(const ChartScene& scene, ChartPen pen) {
    for (const ChartPrimitive& item : scene.items)
        if (const auto* p = std::get_if<ChartPolyline>(&item); p != nullptr && p->pen == pen)
            return p;
    return nullptr;
}

// Picks the item that reads `text` in the next popup menu, with the keyboard's Enter, and keeps
// every item's text.
void PickMenuItem(const QString& text, QStringList& items) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, text, &items] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr || !menu->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        for (QAction* a : menu->actions()) {
            items << a->text();
            if (a->text() == text)
                menu->setActiveAction(a);
        }
        if (menu->activeAction() == nullptr) {
            menu->close();
            return;
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(menu, &enter);
    });
    poll->start(10);
}

struct ChartPictureTest : ::testing::Test {
    ChartPictureTest() : chart(core, &parent) {
        core.repaints = &repaints;
        core.stampClock = NinthOfDecember;
        core.InitDevice(15, 0);
        Identify(core);
        parent.resize(800, 400);
        chart.setGeometry(285, 19, W, H);
        core.state.voltLimit = 1500;
        core.state.currLimit = 1000;
        core.state.voltMeas = 1200;
        core.state.currMeas = 800;
        core.state.voltRegulation = true;
        StartRecording(core);
        for (int i = 0; i < 30; ++i)
            Tick(core);
    }
    QImage Saved(const fs::path& path) {
        QImage image(Utf8(path), "PNG");
        return image.convertToFormat(QImage::Format_RGB32);
    }

    RepaintCounter repaints;
    DevicePage core;
    QWidget parent;
    ChartWidget chart;
    test::TempDir dir;
};

TEST_F(ChartPictureTest, SavesThePagesSceneAtTheWidgetsSize) {
    const fs::path path = dir / "chart.png";
    ASSERT_TRUE(chart.SavePicture(Utf8(path)));
    const QImage saved = Saved(path);
    ASSERT_EQ(saved.size(), PICTURE_SIZE);

    // The whole picture is the primitive list replayed, pixel for pixel: the chart with the
    // supply, the day and the clock times the core adds.
    const ChartScene scene = core.chartPicture(W, H);
    QImage replayed(scene.width, scene.height, QImage::Format_RGB32);
    ChartPainter().Paint(replayed, scene);
    EXPECT_EQ(saved, replayed);

    // And a few pixels where the list puts them: the frame's left edge, the stabilisation band and
    // the emphasised "U" of a supply regulating voltage.
    const ChartRectangle* frame = nullptr;
    for (const ChartPrimitive& item : scene.items)
        if (const auto* r = std::get_if<ChartRectangle>(&item); r != nullptr && frame == nullptr)
            frame = r;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(saved.pixelColor(frame->left, (frame->top + frame->bottom) / 2), ColourOf(frame->pen));
    for (const ChartPen pen : {ChartPen::VoltBand, ChartPen::VoltEmphasised}) {
        const ChartPolyline* line = FirstPolyline(scene, pen);
        ASSERT_NE(line, nullptr) << static_cast<int>(pen);
        ASSERT_GE(line->points.size(), 2u);
        const ChartPoint a = line->points[line->points.size() / 2 - 1];
        const ChartPoint b = line->points[line->points.size() / 2];
        EXPECT_EQ(saved.pixelColor((a.x + b.x) / 2, (a.y + b.y) / 2), ColourOf(pen)) << static_cast<int>(pen);
    }
    const ChartPolyline* volt = FirstPolyline(scene, ChartPen::VoltEmphasised);
    const ChartPoint mid = volt->points[volt->points.size() / 2];
    EXPECT_EQ(saved.pixelColor(mid.x, mid.y - 40), QColor(Qt::white));

    // Only the picture is left in the folder: the temporary file went into it.
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"chart.png"});
}

TEST_F(ChartPictureTest, ReplacesAnOlderFileWhole) {
    const fs::path path = dir / "chart.png";
    std::ofstream(path, std::ios::binary) << std::string(100000, 'x');
    ASSERT_TRUE(chart.SavePicture(Utf8(path)));
    EXPECT_EQ(Saved(path).size(), PICTURE_SIZE);
    EXPECT_LT(fs::file_size(path), 100000u);
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"chart.png"});
}

// A place the picture cannot go: one message in the station's box naming the file, and nothing
// written there.
TEST_F(ChartPictureTest, AFailedSaveShowsOneMessageAndLeavesNothing) {
    std::ofstream(dir / "notes.txt") << "a file, not a folder";
    fs::create_directory(dir / "locked");
    std::ofstream(dir / "locked" / "old.png") << "the older picture";
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const struct {
        const char* name;
        fs::path path;
        bool needsRights; // root writes into a read-only folder all the same
    } table[] = {
        {"a file in place of the folder", dir / "notes.txt" / "chart.png", false},
        {"a folder that does not exist", dir / "missing" / "chart.png", false},
        {"a read-only folder", dir / "locked" / "chart.png", true},
        {"over a file in a read-only folder", dir / "locked" / "old.png", true},
    };
    for (const auto& row : table) {
        if (row.needsRights && ::geteuid() == 0)
            continue;
        SCOPED_TRACE(row.name);
        const std::set<std::string> before = Listing(dir.path());
        const std::set<std::string> lockedBefore = Listing(dir / "locked");
        std::vector<SeenMessage> messages;
        ModalWatcher watcher({ReadMessage(messages)});
        EXPECT_FALSE(chart.SavePicture(Utf8(row.path)));
        ASSERT_EQ(messages.size(), 1u) << watcher.unexpected();
        EXPECT_EQ(messages[0].text, "Не удалось сохранить график в файл " + row.path.string() + "!");
        EXPECT_EQ(messages[0].title, QCoreApplication::applicationName().toStdString());
        EXPECT_EQ(messages[0].icon, QMessageBox::NoIcon);
        EXPECT_EQ(messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(watcher.unexpected(), "");
        EXPECT_EQ(Listing(dir.path()), before);
        EXPECT_EQ(Listing(dir / "locked"), lockedBefore);
    }
    std::ifstream old(dir / "locked" / "old.png");
    std::string kept;
    std::getline(old, kept);
    EXPECT_EQ(kept, "the older picture");
}

// The operator's way: a right click on the chart, the menu's item, the save dialog with the
// proposed name; a name typed without its extension gets ".png".
TEST_F(ChartPictureTest, ContextMenuSavesUnderTheChosenName) {
    QStringList items;
    PickMenuItem(QStringLiteral("Сохранить график в PNG..."), items);
    bool inspected = false;
    ModalWatcher watcher({ChooseFile((dir / "report").string(), [&](QFileDialog& d) {
        inspected = true;
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Сохранить"));
        EXPECT_EQ(d.nameFilters(), QStringList{QStringLiteral("Рисунок PNG (*.png)")});
        EXPECT_EQ(d.labelText(QFileDialog::Accept), QStringLiteral("Сохранить"));
        EXPECT_EQ(d.labelText(QFileDialog::Reject), QStringLiteral("Отмена"));
        EXPECT_EQ(d.labelText(QFileDialog::FileName), QStringLiteral("Имя файла:"));
        auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), QStringLiteral("rir-15-2026-12-09.png"));
    })});
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100), chart.mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(&chart, &event);
    EXPECT_EQ(items, QStringList{QStringLiteral("Сохранить график в PNG...")});
    EXPECT_TRUE(inspected);
    EXPECT_EQ(watcher.unexpected(), "");
    EXPECT_EQ(Saved(dir / "report.png").size(), PICTURE_SIZE);
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"report.png"});
}

TEST_F(ChartPictureTest, CancelledDialogWritesNothing) {
    QStringList items;
    PickMenuItem(QStringLiteral("Сохранить график в PNG..."), items);
    ModalWatcher watcher({CancelFileDialog()});
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 100), chart.mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(&chart, &event);
    EXPECT_EQ(watcher.stepsTaken(), 1u);
    EXPECT_EQ(watcher.unexpected(), "");
    EXPECT_TRUE(Listing(dir.path()).empty());
}

} // namespace
} // namespace rir
