#include "engine/Parameter.h"

#include "controls/CustomControl.h"

#include <utility>

Parameter::Parameter(int x, int y, ValueTransform toController, ValueTransform fromController)
    : center{x, y}, origin{x, y}, toMidi(std::move(toController)), fromMidi(std::move(fromController)) {}

Parameter::~Parameter() = default;

CustomControl* Parameter::GetControl() {
    return control;
}
std::string Parameter::GetName() {
    return name;
}
std::string Parameter::GetLabel() {
    return GetName();
}
int Parameter::GetId() {
    return control->controlId;
}
int Parameter::GetSecondaryId() {
    return -1;
}
void Parameter::SetSecondaryValue(int) {}
ParameterRegistry* Parameter::GetOwner() {
    return owner;
}
void Parameter::SetOwner(ParameterRegistry* registry) {
    owner = registry;
}
int Parameter::GetValue() {
    return control->GetValue();
}
bool Parameter::IsActive() {
    return control->active;
}
void Parameter::SetActive(bool isActive) {
    control->SetActive(isActive);
}
void Parameter::Show(bool show) {
    control->Show(show);
}
bool Parameter::IsAvailable() {
    return true;
}
bool Parameter::IsHighlighted() {
    return GetControl()->highlighted;
}
void Parameter::SetHighlighted(bool isHighlighted) {
    GetControl()->SetHighlighted(isHighlighted);
}
bool Parameter::TestFlag(int) {
    return false;
}
void Parameter::SetInfo(std::string text) {
    info = std::move(text);
}
std::string Parameter::GetInfo(int) {
    return info;
}
void Parameter::SetName(std::string) {}
POINT Parameter::GetCenter() {
    return center;
}
POINT Parameter::GetOrigin() {
    return origin;
}
void Parameter::SetScale(double factor) {
    control->SetScale(factor);
}
int Parameter::ToMidi(int value) {
    return toMidi ? toMidi(this, value) : value;
}
int Parameter::FromMidi(int value) {
    return fromMidi ? fromMidi(this, value) : value;
}
IDisplayUnits* Parameter::GetDisplayUnits() {
    return GetControl();
}
