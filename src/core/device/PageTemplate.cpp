#include "device/PageTemplate.h"

#include "device/PageControls.h"

#include <array>

namespace rir {

namespace {

using K = ControlKind;

// Left column (x 0..280): identity, state, module lines, limits, commands and the program
// buttons. Right side (x 285..773): the program caption, the chart and, under the chart, the
// controls the main window moves when it grows.
constexpr int LABEL_X = 8;
constexpr int LABEL_W = 116;
constexpr int VALUE_X = 126;
constexpr int VALUE_W = 150;
constexpr int ROW_H = 15;

constexpr std::array TEMPLATE{
    TemplateControl{IDC_DESCRIPTION_GROUP, K::GroupBox, {0, 0, 280, 156}, "Описание"},
    TemplateControl{IDC_STATIC, K::Label, {LABEL_X, 18, LABEL_W, ROW_H}, "Состояние БП:"},
    TemplateControl{IDC_OUTPUT_STATE, K::Label, {VALUE_X, 18, VALUE_W, ROW_H}, "-"},
    TemplateControl{IDC_STATIC, K::Label, {LABEL_X, 34, LABEL_W, ROW_H}, "Режим стабилизации:"},
    TemplateControl{IDC_REGULATION, K::Label, {VALUE_X, 34, VALUE_W, ROW_H}, "-"},
    TemplateControl{IDC_STATIC, K::Label, {LABEL_X, 50, LABEL_W, ROW_H}, "Напряжение:"},
    TemplateControl{IDC_VOLT_READING, K::Label, {VALUE_X, 50, VALUE_W, ROW_H}, "-"},
    TemplateControl{IDC_STATIC, K::Label, {LABEL_X, 66, LABEL_W, ROW_H}, "Ток:"},
    TemplateControl{IDC_CURR_READING, K::Label, {VALUE_X, 66, VALUE_W, ROW_H}, "-"},
    TemplateControl{IDC_LINE1_LABEL, K::Label, {LABEL_X, 86, LABEL_W, ROW_H}, "Таймер-сек."},
    TemplateControl{IDC_LINE1_VALUE, K::Label, {VALUE_X, 86, VALUE_W, ROW_H}, "Значение т-с"},
    TemplateControl{IDC_LINE2_LABEL, K::Label, {LABEL_X, 102, LABEL_W, ROW_H}, "Дневной:"},
    TemplateControl{IDC_LINE2_VALUE, K::Label, {VALUE_X, 102, VALUE_W, ROW_H}, "Значение"},
    TemplateControl{IDC_LINE3_LABEL, K::Label, {LABEL_X, 118, LABEL_W, ROW_H}, "Накопит."},
    TemplateControl{IDC_LINE3_VALUE, K::Label, {VALUE_X, 118, VALUE_W, ROW_H}, "Значение"},
    TemplateControl{IDC_LINE4_LABEL, K::Label, {LABEL_X, 134, LABEL_W, ROW_H}, "Термометр:"},
    TemplateControl{IDC_LINE4_VALUE, K::Label, {VALUE_X, 134, VALUE_W, ROW_H}, "Значение"},

    TemplateControl{IDC_VOLT_EDIT, K::Edit, {0, 162, 62, 22}, ""},
    TemplateControl{IDC_VOLT_UNIT, K::Label, {65, 166, 18, ROW_H}, "В"},
    TemplateControl{IDC_CURR_EDIT, K::Edit, {88, 162, 62, 22}, ""},
    TemplateControl{IDC_CURR_UNIT, K::Label, {153, 166, 18, ROW_H}, "А"},
    TemplateControl{IDC_SET_LIMITS, K::Button, {176, 161, 104, 25}, "Уст. лимиты"},
    TemplateControl{IDC_OUTPUT_BUTTON, K::Button, {0, 190, 104, 25}, "Включить"},
    TemplateControl{IDC_MODULE_SETUP, K::Button, {110, 190, 140, 25}, "Настройка модулей"},
    TemplateControl{IDC_REMOVE_DEVICE, K::Button, {255, 190, 25, 25}, "X"},
    // The dosing restart only makes sense once a configuration with a doser is known.
    TemplateControl{IDC_DOSER_RESTART, K::Button, {110, 219, 140, 25}, "Перезапуск дозатора", false},
    TemplateControl{IDC_ALARM_ACK, K::Button, {0, 219, 104, 25}, "Квитировать", true, false},
    TemplateControl{IDC_ALARM_SETUP, K::Button, {255, 219, 25, 25}, "!"},

    TemplateControl{IDC_STATIC, K::GroupBox, {0, 246, 280, 77}, "Работа по файлу"},
    TemplateControl{IDC_OPEN_PROGRAM, K::Button, {8, 266, 110, 24}, "Открыть файл"},
    TemplateControl{IDC_STATIC, K::Label, {124, 270, 56, ROW_H}, "Площадь:"},
    TemplateControl{IDC_AREA_EDIT, K::Edit, {182, 266, 58, 22}, ""},
    TemplateControl{IDC_STATIC, K::Label, {244, 270, 30, ROW_H}, "дм2"},
    TemplateControl{IDC_PROGRAM_START, K::Button, {8, 294, 84, 24}, "Старт"},
    TemplateControl{IDC_PROGRAM_PAUSE, K::Button, {98, 294, 84, 24}, "Пауза"},
    TemplateControl{IDC_PROGRAM_CANCEL, K::Button, {188, 294, 84, 24}, "Отменить"},

    TemplateControl{IDC_PROGRAM_CAPTION, K::Label, {285, 2, 488, ROW_H}, "Протокол работы:"},
    TemplateControl{IDC_CHART, K::ChartArea, {285, 19, 488, 214}, ""},
    TemplateControl{IDC_CLEAR_CHART, K::Button, {285, 237, 100, 25}, "Очистить график", true, false},
    TemplateControl{IDC_DIAGNOSTIC, K::Label, {285, 265, 100, ROW_H}, "Test"},
    TemplateControl{IDC_ALARM_LINE, K::Label, {285, 281, 100, 42}, ""},
    TemplateControl{IDC_READOUT_VALUES, K::Label, {386, 237, 172, 80}, "Текстовка 1"},
    TemplateControl{IDC_READOUT_LIMITS, K::Label, {560, 237, 171, 80}, "Текстовка 2"},
    TemplateControl{IDC_SERIES_VOLT, K::CheckBox, {731, 234, 42, 16}, "U", true, true, true},
    TemplateControl{IDC_SERIES_VOLT_LIMIT, K::CheckBox, {731, 250, 42, 16}, "Uл", true, true, true},
    TemplateControl{IDC_SERIES_CURR, K::CheckBox, {731, 266, 42, 16}, "I", true, true, true},
    TemplateControl{IDC_SERIES_CURR_LIMIT, K::CheckBox, {731, 282, 42, 16}, "Iл", true, true, true},
    TemplateControl{IDC_SERIES_OUTPUT, K::CheckBox, {731, 298, 42, 16}, "Вкл", true, true, true},
};

} // namespace

std::span<const TemplateControl> PageTemplate() {
    return TEMPLATE;
}

const TemplateControl* FindTemplateControl(int id) {
    if (id == IDC_STATIC)
        return nullptr;
    for (const TemplateControl& c : TEMPLATE) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

} // namespace rir
