#include "CAddDeviceDlg.h"
#include "ModalWatcher.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace rir {
namespace {

QPushButton* Button(const CAddDeviceDlg& dlg, QDialogButtonBox::StandardButton which) {
    auto* box = dlg.findChild<QDialogButtonBox*>();
    return box ? box->button(which) : nullptr;
}

TEST(CAddDeviceDlgTest, OpensWithTheProposedNumberSelected) {
    CAddDeviceDlg dlg(16);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Добавления нового устройства");
    const auto labels = dlg.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front()->text().toStdString(), "Введите номер устройства (1 - 127):");
    EXPECT_EQ(dlg.edit()->objectName().toStdString(), "edit1003");
    EXPECT_EQ(dlg.edit()->text().toStdString(), "16");
    EXPECT_EQ(dlg.edit()->selectedText().toStdString(), "16");
    EXPECT_EQ(dlg.focusWidget(), dlg.edit());
    ASSERT_NE(Button(dlg, QDialogButtonBox::Ok), nullptr);
    ASSERT_NE(Button(dlg, QDialogButtonBox::Cancel), nullptr);
}

TEST(CAddDeviceDlgTest, RefusesAnythingButAnAddressAndStaysOpen) {
    const std::string notWhole = "Введите целое число.";
    const std::string outOfRange = "Введите целое число в интервале от 1 до 127.";
    const struct {
        const char* typed;
        std::string message;
    } cases[] = {
        {"abc", notWhole},   {"", notWhole},    {"4 2", notWhole},   {"12.5", notWhole},
        {"200", outOfRange}, {"0", outOfRange}, {"128", outOfRange}, {"-5", outOfRange},
    };
    CAddDeviceDlg dlg(16);
    dlg.show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dlg.edit()->setText(QString::fromUtf8(c.typed));
        std::vector<SeenMessage> seen;
        ModalWatcher watcher({ReadMessage(seen)});
        Button(dlg, QDialogButtonBox::Ok)->click(); // returns once the message box is closed
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, c.message);
        EXPECT_EQ(seen[0].icon, QMessageBox::NoIcon);
        EXPECT_EQ(seen[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(watcher.unexpected(), "");
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_NE(dlg.result(), QDialog::Accepted);
        // The refused text is selected again for the operator to type over.
        EXPECT_EQ(dlg.edit()->text().toStdString(), c.typed);
        EXPECT_EQ(dlg.edit()->selectedText().toStdString(), c.typed);
    }
}

TEST(CAddDeviceDlgTest, AcceptsAnAddressInRange) {
    for (const auto& [typed, address] : {std::pair{"42", 42}, {"1", 1}, {"127", 127}}) {
        SCOPED_TRACE(typed);
        CAddDeviceDlg dlg(16);
        dlg.show();
        dlg.edit()->setText(QString::fromUtf8(typed));
        ModalWatcher watcher({});
        Button(dlg, QDialogButtonBox::Ok)->click();
        EXPECT_EQ(watcher.unexpected(), "");
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.address(), address);
    }
}

TEST(CAddDeviceDlgTest, RunModallyOkAndCancel) {
    // As the main window runs it: exec() until the operator answers.
    {
        CAddDeviceDlg dlg(7);
        ModalWatcher watcher({[](QWidget* w) {
            auto* shown = qobject_cast<CAddDeviceDlg*>(w);
            if (shown == nullptr) {
                ADD_FAILURE() << "not the add-device dialog";
                w->close();
                return;
            }
            shown->edit()->setText(QStringLiteral("99"));
            Button(*shown, QDialogButtonBox::Ok)->click();
        }});
        EXPECT_EQ(dlg.exec(), QDialog::Accepted);
        EXPECT_EQ(dlg.address(), 99);
        EXPECT_EQ(watcher.stepsTaken(), 1u);
    }
    {
        CAddDeviceDlg dlg(7);
        ModalWatcher watcher({[](QWidget* w) {
            auto* shown = qobject_cast<CAddDeviceDlg*>(w);
            if (shown == nullptr) {
                ADD_FAILURE() << "not the add-device dialog";
                w->close();
                return;
            }
            shown->edit()->setText(QStringLiteral("abc")); // not checked on Cancel
            Button(*shown, QDialogButtonBox::Cancel)->click();
        }});
        EXPECT_EQ(dlg.exec(), QDialog::Rejected);
        EXPECT_EQ(watcher.unexpected(), "");
    }
}

} // namespace
} // namespace rir
