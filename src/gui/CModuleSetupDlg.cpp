#include "CModuleSetupDlg.h"

#include "KeyFilter.h"
#include "MessageBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace rir {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect ToQRect(const PixelRect& r) {
    return {r.x, r.y, r.width, r.height};
}

// The station's dialogs draw in an 11-pixel face, semi-condensed, as the device page does.
QFont DialogFont() {
    QFont f = QApplication::font();
    f.setPixelSize(11);
    f.setStretch(QFont::SemiCondensed);
    return f;
}

} // namespace

CModuleSetupDlg::CModuleSetupDlg(const ModuleSetupValues& given, QWidget* parent)
    : QDialog(parent), logic_(given) {
    setWindowTitle(QStringLiteral("Настройка модулей"));
    setFont(DialogFont());
    buildControls();
    applyView();
}

void CModuleSetupDlg::buildControls() {
    for (const SetupControl& t : ModuleSetupTemplate()) {
        QWidget* w = nullptr;
        const QString text = FromUtf8(t.text);
        const int id = t.id;
        switch (t.kind) {
        case SetupControlKind::GroupBox:
            w = new QGroupBox(text, this);
            break;
        case SetupControlKind::Label: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            w = label;
            break;
        }
        case SetupControlKind::Edit: {
            auto* edit = new QLineEdit(text, this);
            connect(edit, &QLineEdit::textChanged, this,
                    [this, id](const QString& typed) { logic_.NoteText(id, typed.toStdString()); });
            if (ModuleSetup::HasKeyFilter(id)) {
                // Text reaches a filtered edit only through its key filter: no pasting, no dropping.
                edit->installEventFilter(this);
                filteredEdits_[edit] = id;
                edit->setContextMenuPolicy(Qt::NoContextMenu);
                edit->setAcceptDrops(false);
            }
            w = edit;
            break;
        }
        case SetupControlKind::ComboBox: {
            auto* combo = new QComboBox(this);
            combo->setMaxVisibleItems(10);
            connect(combo, &QComboBox::activated, this, [this, id](int index) {
                const std::vector<SetupRefusal> refusals = logic_.Select(id, index);
                applyView();
                showRefusals(refusals);
            });
            w = combo;
            break;
        }
        case SetupControlKind::CheckBox: {
            auto* box = new QCheckBox(text, this);
            connect(box, &QCheckBox::clicked, this,
                    [this, id](bool checked) { logic_.NoteChecked(id, checked); });
            w = box;
            break;
        }
        case SetupControlKind::Button: {
            auto* button = new QPushButton(text, this);
            if (id == IDOK) {
                button->setDefault(true);
                connect(button, &QPushButton::clicked, this, &CModuleSetupDlg::accept);
            } else {
                button->setAutoDefault(false);
                connect(button, &QPushButton::clicked, this, &CModuleSetupDlg::reject);
            }
            w = button;
            break;
        }
        }
        w->setGeometry(ToQRect(t.rect));
        w->setHidden(!t.shown);
        if (id != IDC_STATIC)
            controls_[id] = w;
    }
}

QWidget* CModuleSetupDlg::controlById(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void CModuleSetupDlg::applyView() {
    for (int id : logic_.view.takeChanged())
        applyControl(id);
    for (int id : logic_.takeCombosChanged())
        applyCombo(id);
    for (int id : logic_.takeMoved()) {
        if (QWidget* w = controlById(id))
            w->setGeometry(ToQRect(logic_.rect(id)));
    }
    setFixedSize(logic_.width(), logic_.height());
}

void CModuleSetupDlg::applyControl(int id) const {
    QWidget* w = controlById(id);
    if (w == nullptr)
        return;
    const ControlState& c = logic_.view.at(id);
    const QString text = FromUtf8(c.text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        box->setChecked(c.checked);
    }
    w->setHidden(!c.shown);
    w->setEnabled(c.enabled);
}

void CModuleSetupDlg::applyCombo(int id) {
    auto* combo = qobject_cast<QComboBox*>(controlById(id));
    if (combo == nullptr)
        return;
    const ComboState& state = logic_.combo(id);
    QStringList items;
    for (const std::string& item : state.items)
        items << QString::fromStdString(item);
    QStringList present;
    for (int i = 0; i < combo->count(); ++i)
        present << combo->itemText(i);
    if (present != items) {
        combo->clear();
        combo->addItems(items);
    }
    combo->setCurrentIndex(state.selected);
}

void CModuleSetupDlg::showRefusals(const std::vector<SetupRefusal>& refusals) {
    for (const SetupRefusal& r : refusals) {
        ShowMessage(this, r.message);
        if (auto* edit = qobject_cast<QLineEdit*>(controlById(r.focusId))) {
            edit->setFocus();
            edit->selectAll();
        }
    }
}

void CModuleSetupDlg::accept() {
    auto result = logic_.Accept();
    if (const auto* refusals = std::get_if<std::vector<SetupRefusal>>(&result)) {
        showRefusals(*refusals);
        return; // the dialog stays open with the operator's input
    }
    values_ = std::get<ModuleSetupValues>(result);
    QDialog::accept();
}

bool CModuleSetupDlg::eventFilter(QObject* watched, QEvent* event) {
    const auto it = filteredEdits_.find(watched);
    if (it != filteredEdits_.end() && filterKey(static_cast<QLineEdit*>(watched), it->second, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

// True when the event is swallowed. Only what the platform would deliver to the edit as a typed
// character goes through the core's filter; navigation and editing keys pass untouched.
bool CModuleSetupDlg::filterKey(QLineEdit* edit, int id, QEvent* event) {
    if (!edit->isEnabled())
        return false; // a disabled edit takes no input of any kind
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton)
        return true; // the X11 selection paste
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Paste))
        return true;
    const std::optional<char32_t> typed = TypedCharacter(*key);
    if (!typed)
        return false;
    const std::optional<KeyDecision> decision =
        logic_.FilterKey(id, edit->text().toStdString(), EditSelection(*edit), *typed);
    return decision && ApplyKeyDecision(*edit, *decision, *typed);
}

} // namespace rir
