#pragma once

#include <string>
#include <vector>

// Collects what the code under test writes to the debugger output
// (OutputDebugString) while the object lives.
class DebugOutput {
  public:
    DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    ~DebugOutput();

    // Each string written, in order.
    const std::vector<std::string>& Lines() const;

  private:
    void* handler;
};
