#include "engine/ParameterRegistry.h"

#include "app/IHost.h"
#include "engine/Parameter.h"

void ParameterRegistry::Add(Parameter* parameter) {
    parameter->SetOwner(this);
    parameters.push_back(parameter);
    const int key = parameter->GetId();
    // A registry made without a host (before the editor is built, or in a tool) has
    // nowhere to report to; it still registers, so the newer parameter wins as usual.
    if (byId.count(key) && host)
        host->ShowStatus("Definition error. Duplicate parameter ID.");
    if (key != 0)
        byId[key] = parameter;
    // 0 is no key: a parameter cannot be found under it, not even as a second key.
    const int secondary = parameter->GetSecondaryId();
    if (secondary != -1 && secondary != 0)
        byId[secondary] = parameter;
}

Parameter* ParameterRegistry::Find(int id) const {
    const auto found = byId.find(id);
    return found == byId.end() ? nullptr : found->second;
}
