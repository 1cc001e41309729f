#include "tests/support/FakeHost.h"

static HFONT MakeFont(int height) {
    return CreateFontW(height, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, L"Arial");
}

FakeHost::FakeHost() : smallFont(MakeFont(14)), mediumFont(MakeFont(18)), largeFont(MakeFont(22)) {}

FakeHost::~FakeHost() {
    DeleteObject(smallFont);
    DeleteObject(mediumFont);
    DeleteObject(largeFont);
}
