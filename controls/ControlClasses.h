#pragma once

#include <windows.h>

// Registers every control window class, "KNOB" with the shared knob sprites among
// them. GDI+ must be running. A class that is already registered is left as it is.
void RegisterControlClasses(HINSTANCE instance);
