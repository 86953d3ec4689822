#include "toolkit/widgets/Quor_AngleWidget.h"

#include <cmath>
#include <new>
#include <numbers>

#include "toolkit/core/Quor_Number.h"
#include "toolkit/framework/Quor_LayoutView.h"
#include "toolkit/widgets/Quor_AngleKnob.h"
#include "toolkit/widgets/Quor_TextControl.h"

namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

}  // namespace

Quor_AngleWidget::Quor_AngleWidget(int what, bool showGuides, unsigned int followFlags)
    : Quor_BaseWidget(false, followFlags), fWhat(what), fKnob(nullptr), fField(nullptr)
{
    Quor_LayoutView* column =
        new (std::nothrow) Quor_LayoutView(Quor_LayoutView::kVertical, 0, Quor_Point(0, 0), QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    if (column == nullptr)
        return;
    AddChild(column);
    fKnob = new (std::nothrow) Quor_AngleKnob(showGuides, QUOR_MSG_PART_CHANGED, QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    if (fKnob != nullptr)
        column->AddChild(fKnob, QUOR_LAYOUT_CENTER);
    fField = new (std::nothrow) Quor_TextControl(2 * Quor_AngleKnob::Side(), "0.00", QUOR_MSG_PART_TEXT, 4,
                                                 QUOR_FOLLOW_LEFT | QUOR_FOLLOW_TOP);
    if (fField != nullptr) {
        fField->SetWheelInc(kWheelDegrees);
        fField->SetConstantMessages(true);
        column->AddChild(fField, QUOR_LAYOUT_CENTER);
    }
    DoLayout();
}

float Quor_AngleWidget::Value() const
{
    return fKnob != nullptr ? fKnob->Value() : 0.0f;
}

void Quor_AngleWidget::SetValue(float radians)
{
    if (fKnob == nullptr)
        return;
    fKnob->SetValue(radians);
    ShowDegrees();
}

void Quor_AngleWidget::ShowDegrees()
{
    if (fField == nullptr || fKnob == nullptr)
        return;
    fField->SetValue(Quor_Number::FixedText(fKnob->Value() * kDegreesPerRadian, 2).CStr());
}

void Quor_AngleWidget::HandleMessage(Quor_Message* message)
{
    switch (message->what) {
    case QUOR_MSG_PART_TEXT:
        if (fKnob != nullptr && fField != nullptr)
            fKnob->SetValue(static_cast<float>(fField->FloatValue() / kDegreesPerRadian));
        SendMessage(fWhat);
        break;
    case QUOR_MSG_PART_CHANGED:
        ShowDegrees();
        SendMessage(fWhat);
        break;
    default:
        Quor_BaseWidget::HandleMessage(message);
        break;
    }
}
