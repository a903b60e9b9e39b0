#include "alarm/AlarmSetup.h"

#include <gtest/gtest.h>

namespace rir {
namespace {

struct FieldCase {
    const char* name;
    AlarmSetupTexts typed;
    std::optional<AlarmField> refused; // none: taken
    const char* problem;
};

const AlarmSetupTexts GOOD{"10.0", "10", "5.0", "60.0", "5", false};

AlarmSetupTexts With(AlarmField field, std::string text) {
    AlarmSetupTexts t = GOOD;
    switch (field) {
    case AlarmField::Tolerance:
        t.tolerance = std::move(text);
        break;
    case AlarmField::Delay:
        t.delay = std::move(text);
        break;
    case AlarmField::TempLow:
        t.tempLow = std::move(text);
        break;
    case AlarmField::TempHigh:
        t.tempHigh = std::move(text);
        break;
    case AlarmField::LinkErrors:
        t.linkErrors = std::move(text);
        break;
    }
    return t;
}

TEST(AlarmSetup, FieldsOutOfRangeOrNoNumberAreRefusedWithTheOldValueToPutBack) {
    AlarmSettings old;
    old.tolerancePercent = 12.5;
    old.delaySeconds = 20;
    const FieldCase cases[] = {
        {"comma", With(AlarmField::Tolerance, " 7,5 "), std::nullopt, ""},
        {"lowest", With(AlarmField::Tolerance, "1"), std::nullopt, ""},
        {"highest delay", With(AlarmField::Delay, "3600"), std::nullopt, ""},
        {"below", With(AlarmField::Tolerance, "0.9"), AlarmField::Tolerance,
         "Поле «Допуск, %»: нужно число от 1 до 100. Оставлено прежнее значение."},
        {"letters", With(AlarmField::Tolerance, "10%"), AlarmField::Tolerance, nullptr},
        {"empty", With(AlarmField::Delay, ""), AlarmField::Delay,
         "Поле «Задержка, с»: нужно число (целое) от 1 до 3600. Оставлено прежнее значение."},
        {"fraction", With(AlarmField::Delay, "2.5"), AlarmField::Delay, nullptr},
        {"above", With(AlarmField::Delay, "3601"), AlarmField::Delay, nullptr},
        {"exponent", With(AlarmField::TempLow, "1e3"), AlarmField::TempLow, nullptr},
        {"band upside down", With(AlarmField::TempHigh, "5"), AlarmField::TempHigh,
         "Поле «Температура до, °C»: нужно число от 5.0 до 150.0, больше нижней границы. Оставлено прежнее "
         "значение."},
        {"no errors", With(AlarmField::LinkErrors, "0"), AlarmField::LinkErrors, nullptr},
    };
    for (const FieldCase& c : cases) {
        const AlarmSetupCheck got = CheckAlarmSetup(c.typed, old);
        EXPECT_EQ(got.settings.has_value(), !c.refused) << c.name;
        if (!c.refused)
            continue;
        EXPECT_EQ(got.field, *c.refused) << c.name;
        if (c.problem != nullptr) {
            EXPECT_EQ(got.problem, c.problem) << c.name;
        }
        const char* oldText = *c.refused == AlarmField::Tolerance  ? "12.5"
                              : *c.refused == AlarmField::Delay    ? "20"
                              : *c.refused == AlarmField::TempHigh ? "60.0"
                              : *c.refused == AlarmField::TempLow  ? "5.0"
                                                                   : "5";
        EXPECT_EQ(got.oldText, oldText) << c.name;
    }
    const AlarmSetupCheck taken = CheckAlarmSetup(With(AlarmField::Tolerance, " 7,5 "), old);
    ASSERT_TRUE(taken.settings);
    EXPECT_DOUBLE_EQ(taken.settings->tolerancePercent, 7.5);
    EXPECT_EQ(taken.settings->delaySeconds, 10);
}

TEST(AlarmSetup, StoredValuesOutsideTheirBoundsKeepTheDefaults) {
    const AlarmSettings defaults;
    struct Case {
        const char* name;
        StoredAlarmTexts stored;
        AlarmSettings expected;
    };
    AlarmSettings all;
    all.tolerancePercent = 15;
    all.delaySeconds = 30;
    all.tempLow = 10;
    all.tempHigh = 40;
    all.linkErrorsPerMinute = 8;
    all.pauseProgram = true;
    const Case cases[] = {
        {"an old file", {}, defaults},
        {"every value", {"15.0", "30", "10.0", "40.0", "8", "1"}, all},
        {"out of bounds", {"0", "0", "-60", "200", "61", "2"}, defaults},
        {"garbage", {"x", "10s", "", "", "five", "yes"}, defaults},
        {"upside-down band", {"", "", "50", "20", "", ""}, defaults},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AlarmSettingsFromStored(c.stored), c.expected) << c.name;
}

} // namespace
} // namespace rir
