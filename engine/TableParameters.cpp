#include "engine/TableParameters.h"

#include "engine/AL1ImageToggle3StateParameter.h"
#include "engine/AL1ImageToggle4StateParameter.h"
#include "engine/AL1ImageToggleParameter.h"
#include "engine/AL1KnobParameter.h"
#include "engine/ParameterRegistry.h"

namespace {

// A null function in the table is the identity, which an empty transform gives.
ValueTransform Transform(TransformFunction function) {
    return function ? ValueTransform(function) : ValueTransform();
}

} // namespace

Parameter* CreateParameter(const ParameterRow& row, IHost* host, HWND parent, HINSTANCE instance) {
    const ValueTransform toMidi = Transform(row.toMidi);
    const ValueTransform fromMidi = Transform(row.fromMidi);
    switch (row.kind) {
    case ControlKind::Knob:
        return new AL1KnobParameter(host, parent, instance, row.x, row.y, row.maxValue, row.id, row.name,
                                    toMidi, fromMidi);
    case ControlKind::TwoState:
        return new AL1ImageToggleParameter(host, parent, instance, row.x, row.y, row.offImage, row.onImage,
                                           row.clickToggles, row.id, toMidi, fromMidi);
    case ControlKind::ThreeState:
        return new AL1ImageToggle3StateParameter(host, parent, instance, row.x, row.y, row.id, toMidi,
                                                 fromMidi);
    case ControlKind::FourState:
        return new AL1ImageToggle4StateParameter(host, parent, instance, row.x, row.y, row.id, toMidi,
                                                 fromMidi);
    }
    return nullptr;
}

void CreateTableParameters(ParameterRegistry& registry, IHost* host, HWND parent, HINSTANCE instance) {
    for (const ParameterRow& row : ParameterTable()) {
        if (Parameter* parameter = CreateParameter(row, host, parent, instance))
            registry.Add(parameter);
    }
}
