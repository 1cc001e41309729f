#pragma once

#include "app/UpdateCheck.h"
#include "tests/support/TestHttpServer.h"

#include <windows.h>

// A test HTTP server that the update check of this process, and of the programs it
// starts, asks for the version document while the object lives.
class UpdateServer : public TestHttpServer {
  public:
    UpdateServer() { SetEnvironmentVariableW(kUpdateUrlVariable, Url().c_str()); }
    ~UpdateServer() { SetEnvironmentVariableW(kUpdateUrlVariable, nullptr); }
};
