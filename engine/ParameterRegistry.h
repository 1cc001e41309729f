#pragma once

#include <map>
#include <vector>

class IHost;
class Parameter;

// Every parameter of the editor in creation order, and the lookup by ID that incoming
// control changes and patch dumps go through. The pointers are not owned.
class ParameterRegistry {
  public:
    explicit ParameterRegistry(IHost* statusHost = nullptr) : host(statusHost) {}

    // Registers `parameter` under its ID (and its secondary ID, if any). A second
    // parameter under an ID already taken is reported to the host and wins the lookup;
    // both stay in the list. ID 0 is listed but never found.
    void Add(Parameter* parameter);

    // The parameter registered under `id`, or null.
    Parameter* Find(int id) const;

    // A copy of the list, in registration order.
    std::vector<Parameter*> GetParameters() const { return parameters; }

    std::vector<Parameter*> parameters;
    std::map<int, Parameter*> byId;
    IHost* host; // where definition errors are reported; not owned
};
