#pragma once

// The release's version, shared by the resource script and the program.
#define TAVREN_VERSION_TEXT "0.1.0"
#define TAVREN_VERSION_RC 0, 1, 0, 1
#define TAVREN_BUILD_NUMBER 1
