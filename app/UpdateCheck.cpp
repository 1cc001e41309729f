#include "app/UpdateCheck.h"

#include "app/Version.h"
#include "app/VersionDocument.h"

#include <windows.h>

#include <wininet.h>

namespace {

constexpr DWORD kOpenFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTH |
                             INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE;
static_assert(kOpenFlags == 0x84040300);

// Owns one WinINet handle.
class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET owned) : handle(owned) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() {
        if (handle != nullptr)
            InternetCloseHandle(handle);
    }
    HINTERNET get() const { return handle; }
    void reset(HINTERNET owned) {
        if (handle != nullptr)
            InternetCloseHandle(handle);
        handle = owned;
    }

  private:
    HINTERNET handle;
};

// Without time-outs a server that accepts the connection and never answers would
// hold the program, which checks on its GUI thread, for ever. They are set on every
// handle: Wine takes them from the connection handle, not from the Internet handle
// that Windows hands them down from.
void SetTimeouts(HINTERNET handle, DWORD timeout) {
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionW(handle, option, &timeout, sizeof(timeout));
    }
}

// Sends the GET request for `url`, as InternetOpenUrl would, but through a connection
// handle that carries the time-outs. Null when the address is not http or https, or
// the request could not be sent.
HINTERNET OpenRequest(HINTERNET internet, const std::wstring& url, InternetHandle& connection,
                      DWORD timeout) {
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = L"";
    std::wstring path(url.size() + 1, L'\0');
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return nullptr;
    path.resize(parts.dwUrlPathLength); // with the query, if any
    connection.reset(
        InternetConnectW(internet, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (connection.get() == nullptr)
        return nullptr;
    SetTimeouts(connection.get(), timeout);
    const DWORD flags = kOpenFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    HINTERNET request = HttpOpenRequestW(connection.get(), L"GET", path.empty() ? L"/" : path.c_str(),
                                         nullptr, nullptr, nullptr, flags, 0);
    if (request != nullptr && !HttpSendRequestW(request, nullptr, 0, nullptr, 0)) {
        InternetCloseHandle(request);
        return nullptr;
    }
    return request;
}

// An error page is no version document, even when it happens to be well-formed XML.
bool AnsweredOk(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    return HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr) &&
           status == HTTP_STATUS_OK;
}

// Reads until the buffer is full or the document has ended: one read may return only
// the part of the document that has arrived so far.
bool ReadDocument(HINTERNET request, char* buffer, DWORD capacity, DWORD& length) {
    length = 0;
    while (length < capacity) {
        DWORD read = 0;
        if (!InternetReadFile(request, buffer + length, capacity - length, &read))
            return false;
        if (read == 0)
            break;
        length += read;
    }
    return true;
}

} // namespace

std::wstring VersionDocumentUrl() {
    std::wstring mirror(GetEnvironmentVariableW(kUpdateUrlVariable, nullptr, 0), L'\0');
    if (!mirror.empty())
        mirror.resize(
            GetEnvironmentVariableW(kUpdateUrlVariable, mirror.data(), static_cast<DWORD>(mirror.size())));
    return mirror.empty() ? TAVREN_WIDEN(TAVREN_VERSION_DOCUMENT_URL) : mirror;
}

bool FetchLatestBuild(int& build, unsigned long timeoutMs) {
    build = 0;
    char buffer[kVersionDocumentLimit + 1];
    DWORD length = 0;
    {
        InternetHandle internet(InternetOpenW(L"Tavren", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (internet.get() == nullptr)
            return false;
        SetTimeouts(internet.get(), timeoutMs);
        InternetHandle connection(nullptr);
        InternetHandle request(OpenRequest(internet.get(), VersionDocumentUrl(), connection, timeoutMs));
        if (request.get() == nullptr || !AnsweredOk(request.get()) ||
            !ReadDocument(request.get(), buffer, kVersionDocumentLimit, length))
            return false;
    }
    buffer[length] = '\0';
    const std::optional<int> latest = ReadLatestBuild(buffer, length);
    if (!latest)
        return false;
    build = *latest;
    return true;
}
