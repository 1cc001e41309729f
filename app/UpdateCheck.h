#pragma once

#include <string>

// The environment variable that names another address for the version document, for
// tests and for people who mirror the document.
constexpr wchar_t kUpdateUrlVariable[] = L"TAVREN_UPDATE_URL";

// How long the update check waits for the server to accept the connection, and then
// for each part of its answer, before it gives up.
constexpr unsigned long kUpdateTimeoutMs = 10000;

// The version document's address: TAVREN_UPDATE_URL when it is set and not empty,
// else the address this build was made with.
std::wstring VersionDocumentUrl();

// Downloads the version document, its first kVersionDocumentLimit bytes at most, and
// reads the latest build from it; App::CheckForUpdates tells the user what came of it.
// `build` is 0 unless the document names a build. False when the server could not be
// reached or did not answer in time, answered with an HTTP status other than 200, or
// sent no well-formed XML. `timeoutMs` replaces kUpdateTimeoutMs, so that tests need
// not wait ten seconds for a server that never answers.
bool FetchLatestBuild(int& build, unsigned long timeoutMs = kUpdateTimeoutMs);
