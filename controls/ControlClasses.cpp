#include "controls/ControlClasses.h"

#include "controls/CustomControl.h"
#include "controls/Knob.h"

#include <initializer_list>

void RegisterControlClasses(HINSTANCE instance) {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterControlClass(instance, L"SIMPLEPANEL", black);
    RegisterControlClass(instance, L"MAINPANEL", black);
    for (const wchar_t* name :
         {L"GROUPPANEL", L"TEXTLABEL", L"MENUBUTTON", L"ALCHECKBOX", L"TOGGLEH", L"TOGGLEV", L"SLIDERV",
          L"ALCOLORBTN", L"ALIMAGETOGGLE", L"IMAGETOGGLE3STATE", L"IMAGETOGGLE4STATE"})
        RegisterControlClass(instance, name, nullptr);
    Knob::ModuleStartup(instance);
    RegisterControlClass(instance, L"STATUSPANEL", nullptr);
}
