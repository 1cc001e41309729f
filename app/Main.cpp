#include "app/App.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    return RunTavren(instance, showCommand);
}
