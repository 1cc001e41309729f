#pragma once

// Turns one of a control's integer values into the text a user reads for it.
class IDisplayUnits {
  public:
    // The text for `value`; numeric texts live in a shared buffer until the next call.
    virtual const wchar_t* FormatValue(int value) = 0;
    virtual ~IDisplayUnits() = default;
};
