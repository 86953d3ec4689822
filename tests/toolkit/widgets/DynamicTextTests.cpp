// Labels whose text the program changes: numbers written the same in every locale.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tests/toolkit/widgets/WidgetHarness.h"
#include "toolkit/framework/Quor_App.h"
#include "toolkit/imaging/fonts/Quor_Font.h"
#include "toolkit/widgets/Quor_DynamicText.h"

using namespace quor_test;

class QuorDynamicText : public WidgetWindowTest {};

TEST_F(QuorDynamicText, NumbersUseAPointInAnyLocaleAndTheMinimumWidthHolds)
{
    // Catches numbers formatted through the process locale ("1,50" under a comma locale) and a
    // minimum width that shrinks the label or is ignored.
    Quor_DynamicText* label = Place(new Quor_DynamicText("Width", 120, QUOR_ALIGN_LEFT, 3), 10, 10);
    EXPECT_EQ(label->Shape().x, 120);
    Quor_DynamicText wide("A rather long label", 10, QUOR_ALIGN_LEFT, 3);
    EXPECT_GT(wide.Shape().x, Quor_App::gRegularFont->StringWidth("A rather long label"));
    Open();

    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                       std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") != nullptr;
    label->SetValue(1.5f);
    EXPECT_STREQ(label->Value(), "1.50");
    label->SetValue(-0.126f);
    EXPECT_STREQ(label->Value(), "-0.13");
    label->SetValue(-2147483647 - 1);
    EXPECT_STREQ(label->Value(), "-2147483648");
    label->SetValue(static_cast<const char*>(nullptr));
    EXPECT_STREQ(label->Value(), "");
    std::setlocale(LC_NUMERIC, before.c_str());
    if (!comma)
        GTEST_LOG_(INFO) << "no comma locale installed: checked in the C locale only";
}
