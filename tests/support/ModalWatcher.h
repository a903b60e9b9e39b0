// Helpers for widget tests that run the station's modal windows: a watcher that answers each
// modal window as it comes up, and a wait for a condition that lets the event loop run.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace rir {

// Runs the event loop until `done` holds or the (generous) deadline passes; true when it holds.
inline bool WaitFor(const std::function<bool()>& done, int deadlineMs = 20000) {
    const QDeadlineTimer deadline(deadlineMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// What a message box showed.
struct SeenMessage {
    std::string title; // UTF-8
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Answers modal windows in order: step k handles the k-th window that comes to the top of the
// modal stack (a dialog that comes back to the top after a message box over it counts again).
// A modal window with no step left is recorded and closed, so a test never hangs on it.
class ModalWatcher : public QObject {
public:
    using Step = std::function<void(QWidget*)>;

    explicit ModalWatcher(std::vector<Step> steps) : steps_(std::move(steps)) {
        connect(&timer_, &QTimer::timeout, this, &ModalWatcher::Poll);
        timer_.start(10);
    }

    std::size_t stepsTaken() const { return next_; }
    // What came up with no step left for it, as "caption: text"; empty when all went to plan.
    std::string unexpected() const { return unexpected_.join(QLatin1Char('\n')).toStdString(); }

private:
    void Poll() {
        QWidget* top = QApplication::activeModalWidget();
        if (top == nullptr)
            top = OpenNotice();
        if (top == nullptr || top == current_ || !top->isVisible())
            return;
        current_ = top;
        notices_.push_back(top);
        if (next_ == steps_.size()) {
            const auto* box = qobject_cast<QMessageBox*>(top);
            unexpected_ << top->windowTitle() + QStringLiteral(": ") + (box ? box->text() : QString());
            if (auto* dialog = qobject_cast<QDialog*>(top))
                dialog->reject();
            else
                top->close();
            return;
        }
        // Out of the timer's own slot: a step may open another modal window, whose loop must
        // still see this timer fire.
        QTimer::singleShot(0, top, [step = steps_[next_], top] { step(top); });
        ++next_;
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    // A message box the station shows without waiting for it (a notice), not yet handled.
    QWidget* OpenNotice() const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox*>(w) == nullptr || !w->isVisible())
                continue;
            if (std::none_of(notices_.begin(), notices_.end(),
                             [w](const QPointer<QWidget>& n) { return n == w; }))
                return w;
        }
        return nullptr;
    }

    QPointer<QWidget> current_;
    // Every window handled so far: a notice stays among the top-level windows until it closes.
    std::vector<QPointer<QWidget>> notices_;
    QStringList unexpected_;
    QTimer timer_;
};

// A step that records a message box and presses its OK button.
inline ModalWatcher::Step ReadMessage(std::vector<SeenMessage>& into) {
    return [&into](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr) {
            ADD_FAILURE() << "expected a message box, got " << w->metaObject()->className();
            w->close();
            return;
        }
        into.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                        box->standardButtons()});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    };
}

// A step that records a question box, with its buttons' captions, and answers "Да" or "Нет".
inline ModalWatcher::Step AnswerQuestion(std::vector<SeenMessage>& into, bool yes,
                                         std::vector<std::string>* captions = nullptr) {
    return [&into, yes, captions](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr) {
            ADD_FAILURE() << "expected a question box, got " << w->metaObject()->className();
            w->close();
            return;
        }
        into.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                        box->standardButtons()});
        if (captions != nullptr) {
            for (QAbstractButton* b : box->buttons())
                captions->push_back(b->text().toStdString());
        }
        if (QAbstractButton* answer = box->button(yes ? QMessageBox::Yes : QMessageBox::No))
            answer->click();
        else
            box->reject();
    };
}

} // namespace rir
