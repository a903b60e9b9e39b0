#include "CDevicePage.h"

#include "ChartWidget.h"
#include "KeyFilter.h"
#include "device/DevicePage.h"
#include "device/PageControls.h"
#include "device/PageLayout.h"
#include "device/PageTemplate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <memory>
#include <string>

namespace rir {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect ToQRect(const PixelRect& r) {
    return QRect(r.x, r.y, r.width, r.height);
}

// The station's page font is "MS Sans Serif" at a cell height of 14, which Windows draws with its
// narrow 13-pixel face. The nearest on any desktop is the application's sans family at an
// 11-pixel em (the same 13-pixel line), semi-condensed so the template's texts keep their room.
QFont PageFont(int weight, bool underline) {
    QFont f = QApplication::font();
    f.setPixelSize(11);
    f.setStretch(QFont::SemiCondensed);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setUnderline(underline);
    return f;
}

} // namespace

CDevicePage::CDevicePage(DevicePage& page, QWidget* parent)
    : QWidget(parent), page_(page), normalFont_(PageFont(400, false)), boldFont_(PageFont(700, false)),
      underlinedFont_(PageFont(400, true)) {
    setFont(normalFont_);
    resize(PAGE_TEMPLATE_WIDTH, PAGE_TEMPLATE_HEIGHT);
    buildControls();
}

void CDevicePage::buildControls() {
    for (const TemplateControl& t : PageTemplate()) {
        QWidget* w = nullptr;
        const QString text = FromUtf8(t.text);
        switch (t.kind) {
        case ControlKind::GroupBox:
            w = new QGroupBox(text, this);
            break;
        case ControlKind::Label: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText); // file names and titles are shown as typed
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(t.id == IDC_ALARM_LINE); // the only label whose text runs long
            w = label;
            break;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, this);
            connect(edit, &QLineEdit::textEdited, this,
                    [this, edit] { forwardEdit(edit, edit->hasFocus()); });
            connect(edit, &QLineEdit::cursorPositionChanged, this,
                    [this, edit] { forwardEdit(edit, edit->hasFocus()); });
            connect(edit, &QLineEdit::selectionChanged, this,
                    [this, edit] { forwardEdit(edit, edit->hasFocus()); });
            edit->installEventFilter(this);
            // Dropped text would get past the key filter; pasted text goes through it.
            edit->setAcceptDrops(false);
            edit->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(edit, &QLineEdit::customContextMenuRequested, this, [this, edit](const QPoint& at) {
                const std::unique_ptr<QMenu> menu(createLimitEditMenu(edit));
                menu->exec(edit->mapToGlobal(at));
            });
            w = edit;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false); // Enter belongs to the limit edits, never to a button
            const int id = t.id;
            connect(button, &QPushButton::clicked, this, [this, id] {
                if (page_.OnChartCommand(id))
                    applyView();
                emit controlClicked(id);
            });
            w = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(text, this);
            box->setChecked(t.checked);
            const int id = t.id;
            connect(box, &QCheckBox::clicked, this, [this, id](bool checked) {
                page_.view.NoteWidgetChecked(id, checked);
                page_.OnSeriesBox(id, checked);
                applyView();
                emit checkBoxClicked(id, checked);
            });
            w = box;
            break;
        }
        case ControlKind::ChartArea: {
            auto* chart = new ChartWidget(page_, this);
            connect(chart, &ChartWidget::chartStateChanged, this, &CDevicePage::applyView);
            w = chart;
            break;
        }
        }
        w->setGeometry(ToQRect(t.rect));
        w->setHidden(!t.shown);
        w->setEnabled(t.enabled);
        if (t.id != IDC_STATIC)
            controls_[t.id] = w;
    }
}

QWidget* CDevicePage::controlById(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

const QFont& CDevicePage::fontFor(FontKind kind) const {
    switch (kind) {
    case FontKind::Bold:
        return boldFont_;
    case FontKind::Underlined:
        return underlinedFont_;
    case FontKind::Normal:
        break;
    }
    return normalFont_;
}

void CDevicePage::applyView() {
    if (detached_)
        return;
    for (int id : page_.view.takeChanged())
        applyControl(id);
    if (page_.takeChartInvalidated()) {
        if (QWidget* chart = controlById(IDC_CHART))
            chart->update();
    }
}

void CDevicePage::applyControl(int id) {
    QWidget* w = controlById(id);
    if (w == nullptr)
        return;
    const ControlState& c = page_.view.at(id);
    const QString text = FromUtf8(c.text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text)
            edit->setText(text);
        if (const std::optional<TextSelection> sel = page_.view.takeSelection(id)) {
            const int length = static_cast<int>(edit->text().size());
            const int start = std::clamp(sel->start, 0, length);
            const int end = std::clamp(sel->end, 0, length);
            if (start == end)
                edit->setCursorPosition(start);
            else
                edit->setSelection(start, end - start);
        }
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != text)
            label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        if (group->title() != text)
            group->setTitle(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text() != text)
            button->setText(text);
        if (button->isCheckable())
            button->setChecked(c.checked);
    }
    w->setHidden(!c.shown);
    w->setEnabled(c.enabled);
    w->setFont(fontFor(c.font));
    w->setToolTip(FromUtf8(c.toolTip));

    // A text colour holds while the control is enabled; a disabled control draws grayed, as
    // static texts always have.
    // Without a colour of its own the control inherits the page's palette.
    QPalette p;
    if (c.colour) {
        const QColor colour(c.colour->r, c.colour->g, c.colour->b);
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
            p.setColor(group, QPalette::WindowText, colour);
    }
    w->setPalette(p);
}

void CDevicePage::applyLayout(int dx, int dy, int rowOffset) {
    const PagePlacement g = PlacePageControls(dx, dy, rowOffset);
    resize(g.page.width, g.page.height);
    for (const ControlPlacement& c : g.controls) {
        if (QWidget* w = controlById(c.id))
            w->setGeometry(ToQRect(c.rect));
    }
}

void CDevicePage::forwardEdit(QLineEdit* edit, bool hasFocus) {
    const int id = edit == controlById(IDC_VOLT_EDIT) ? IDC_VOLT_EDIT : IDC_CURR_EDIT;
    page_.SetEditState(id, edit->text().toStdString(), hasFocus, EditSelection(*edit));
}

LimitAmount CDevicePage::typedLimit(int editId) const {
    const auto* edit = qobject_cast<const QLineEdit*>(controlById(editId));
    return ReadLimitAmount(edit != nullptr ? edit->text().toStdString() : std::string());
}

int CDevicePage::limitEditId(QObject* watched) const {
    if (watched == nullptr)
        return 0;
    if (watched == controlById(IDC_VOLT_EDIT))
        return IDC_VOLT_EDIT;
    if (watched == controlById(IDC_CURR_EDIT))
        return IDC_CURR_EDIT;
    return 0;
}

bool CDevicePage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            forwardEdit(edit, event->type() == QEvent::FocusIn);
    }
    if (const int id = limitEditId(watched); id != 0) {
        if (filterLimitEdit(static_cast<QLineEdit*>(watched), id, event))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

// True when the event is swallowed. Every way text gets into a limit edit goes through the
// core: typed characters, the paste keys, the middle-button paste and input-method text.
bool CDevicePage::filterLimitEdit(QLineEdit* edit, int id, QEvent* event) {
    if (!edit->isEnabled())
        return false; // a disabled edit takes no input of any kind
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            forwardEdit(edit, edit->hasFocus());
            emit enterPressed(id);
            return false; // the key goes on to the edit
        }
        if (key->matches(QKeySequence::Paste)) {
            pasteInto(edit, id, QGuiApplication::clipboard()->text());
            return true;
        }
        return filterTypedKey(edit, id, key);
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton)
            return false;
        if (QGuiApplication::clipboard()->supportsSelection())
            pasteInto(edit, id, QGuiApplication::clipboard()->text(QClipboard::Selection));
        return true;
    case QEvent::InputMethod: {
        const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
        if (!committed.isEmpty())
            pasteInto(edit, id, committed);
        return true;
    }
    default:
        return false;
    }
}

bool CDevicePage::filterTypedKey(QLineEdit* edit, int id, QKeyEvent* key) {
    // Shortcuts (copy, select all, undo) type nothing; navigation and deletion keys carry no
    // character. Both go to the edit untouched.
    if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0)
        return false;
    const std::optional<char32_t> typed = TypedCharacter(*key);
    if (!typed)
        return false;
    forwardEdit(edit, edit->hasFocus());
    const KeyDecision decision = page_.FilterEditKey(id, *typed);
    applyView(); // the unit label's mark
    return ApplyKeyDecision(*edit, decision, *typed);
}

void CDevicePage::pasteInto(QLineEdit* edit, int id, const QString& text) {
    forwardEdit(edit, edit->hasFocus());
    const QList<uint> chars = text.toUcs4();
    std::u32string pasted;
    pasted.reserve(static_cast<std::size_t>(chars.size()));
    for (uint c : chars)
        pasted.push_back(static_cast<char32_t>(c));
    const std::string inserted = page_.FilterEditPaste(id, pasted);
    if (!inserted.empty()) {
        edit->insert(QString::fromLatin1(inserted.data(), static_cast<qsizetype>(inserted.size())));
        forwardEdit(edit, edit->hasFocus());
    }
    applyView();
}

QMenu* CDevicePage::createLimitEditMenu(QLineEdit* edit) {
    QMenu* menu = edit->createStandardContextMenu();
    const int id = limitEditId(edit);
    for (QAction* a : menu->actions()) {
        // The edit's own paste action, known by its connection to the edit's paste slot (Qt makes
        // that connection by name in some versions and by pointer in others) or by its name.
        bool paste = QObject::disconnect(a, SIGNAL(triggered()), edit, SLOT(paste()));
        paste = QObject::disconnect(a, &QAction::triggered, edit, &QLineEdit::paste) || paste;
        if (a->objectName() == QStringLiteral("edit-paste")) {
            QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
            paste = true;
        }
        if (paste) {
            connect(a, &QAction::triggered, this,
                    [this, edit, id] { pasteInto(edit, id, QGuiApplication::clipboard()->text()); });
        }
    }
    return menu;
}

} // namespace rir
