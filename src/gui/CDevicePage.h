// The device page as a Qt widget: the controls of template 129 over the core's DevicePage. It
// shows what the page's view state says, reports what only its widgets know (typed text, focus,
// selection, a clicked check box) back to the core, and signals button clicks by control id. The
// limit edits ask the core about every character before they take it, pasted text included.
#pragma once

#include "device/LimitText.h"
#include "view/ViewState.h"

#include <QFont>
#include <QWidget>

#include <map>

class QKeyEvent;

class QLineEdit;
class QMenu;

namespace rir {

class DevicePage;

class CDevicePage : public QWidget {
    Q_OBJECT
public:
    // Builds every control of the template; the first applyView() shows the core's state.
    explicit CDevicePage(DevicePage& page, QWidget* parent = nullptr);

    DevicePage& page() const { return page_; }

    // The widget of a template control id, or nullptr.
    QWidget* controlById(int id) const;

    // Copies every control the core changed since the last call onto its widget, and repaints the
    // chart area when the core asked for it.
    void applyView();
    // The core's page is gone (its tab was removed) while this view waits for its deferred
    // deletion: calls already queued for it (a chart change) must not reach the page any more.
    void Detach() { detached_ = true; }

    // The page's share of the main window's layout: resizes the page and moves the chart and the
    // controls under it for a client area dx × dy larger than the smallest one, with rowOffset
    // pixels of extra tab rows. The main window places the page's top-left corner itself.
    void applyLayout(int dx, int dy, int rowOffset);

    // What the operator typed into limit edit `editId`, read by the core's rule.
    LimitAmount typedLimit(int editId) const;

    // The context menu of a limit edit: the edit's standard menu, whose paste goes through the
    // core's key filter. The caller owns it.
    QMenu* createLimitEditMenu(QLineEdit* edit);

signals:
    // A push button was clicked.
    void controlClicked(int id);
    // Enter was pressed in limit edit `editId`.
    void enterPressed(int editId);
    // A chart series check box was clicked; `checked` is its new state.
    void checkBoxClicked(int id, bool checked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void applyControl(int id);
    void forwardEdit(QLineEdit* edit, bool hasFocus);
    int limitEditId(QObject* watched) const;
    bool filterLimitEdit(QLineEdit* edit, int id, QEvent* event);
    bool filterTypedKey(QLineEdit* edit, int id, QKeyEvent* key);
    void pasteInto(QLineEdit* edit, int id, const QString& text);
    const QFont& fontFor(FontKind kind) const;

    DevicePage& page_;
    bool detached_ = false;
    std::map<int, QWidget*> controls_;
    QFont normalFont_;
    QFont boldFont_;
    QFont underlinedFont_;
};

} // namespace rir
