#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CustomControl;
class IDisplayUnits;
class ParameterRegistry;

class Parameter;

// Converts between a parameter's own value and the 7-bit controller value; called with
// the parameter that owns it. An empty transform means the identity.
using ValueTransform = std::function<int(Parameter* parameter, int value)>;

// One editable setting of the instrument bound to the control that shows it. The value
// lives in the control; the parameter adds the ID, the MIDI conversions and the design
// position on the panel. Concrete classes create and own their control.
class Parameter {
  public:
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    virtual CustomControl* GetControl();
    virtual std::string GetName();
    virtual std::string GetLabel(); // the name
    virtual int GetId();            // the control's identifier, which is the controller number
    virtual int GetSecondaryId();   // -1: no second key
    // Shows `value` on the control without telling the host; no transform is applied.
    virtual void SetValue(int value) = 0;
    virtual void SetSecondaryValue(int value);
    virtual ParameterRegistry* GetOwner();
    virtual void SetOwner(ParameterRegistry* registry);
    virtual int GetValue();
    virtual bool IsActive();
    virtual void SetActive(bool isActive);
    virtual void Show(bool show);
    virtual bool IsAvailable();
    virtual bool IsHighlighted();
    virtual void SetHighlighted(bool isHighlighted);
    virtual bool TestFlag(int flagId);
    virtual void SetInfo(std::string text);
    virtual std::string GetInfo(int index);
    virtual void SetName(std::string text); // only knobs keep a new name
    // Moves the control window to (x, y) in main-panel coordinates at the current scale.
    virtual void MoveTo(int x, int y) = 0;
    virtual POINT GetCenter(); // centre of the control at natural size
    virtual POINT GetOrigin(); // the design position given to the constructor
    virtual void SetScale(double factor);
    virtual int ToMidi(int value);
    virtual int FromMidi(int value);
    virtual IDisplayUnits* GetDisplayUnits();
    virtual ~Parameter();

    ParameterRegistry* owner = nullptr; // not owned; null until registered
    POINT center = {0, 0};
    POINT origin = {0, 0};
    ValueTransform toMidi;
    ValueTransform fromMidi;
    CustomControl* control = nullptr; // owned; deleted by the concrete class
    std::string name;
    std::string info;

  protected:
    Parameter(int x, int y, ValueTransform toController, ValueTransform fromController);
};
