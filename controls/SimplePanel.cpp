#include "controls/SimplePanel.h"

SimplePanel::SimplePanel(IHost* controlHost, HWND parent, HINSTANCE instance, const RECT& area)
    : CustomControl(controlHost, L"SIMPLEPANEL", 0, area) {
    CreateControlWindow(parent, instance);
}
