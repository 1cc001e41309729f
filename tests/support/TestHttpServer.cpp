#include "tests/support/TestHttpServer.h"

#include "app/UpdateCheck.h"

#include <winsock2.h>

#include <windows.h>

TestHttpServer::TestHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // port 0: any free one
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(s, 4);
    int size = sizeof(address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    listener = s;
    const std::wstring url =
        L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/tavren/tavren.xml";
    SetEnvironmentVariableW(kUpdateUrlVariable, url.c_str());
    thread = std::thread([this] {
        while (!stop) {
            const SOCKET client =
                Readable(listener) ? accept(static_cast<SOCKET>(listener), nullptr, nullptr) : INVALID_SOCKET;
            if (client != INVALID_SOCKET) {
                Answer(client);
                closesocket(client);
            }
        }
    });
}

TestHttpServer::~TestHttpServer() {
    SetEnvironmentVariableW(kUpdateUrlVariable, nullptr);
    stop = true;
    thread.join();
    closesocket(static_cast<SOCKET>(listener));
    WSACleanup();
}

void TestHttpServer::Serve(const Reply& next) {
    std::lock_guard<std::mutex> lock(mutex);
    reply = next;
}

std::string TestHttpServer::LastRequest() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lastRequest;
}

bool TestHttpServer::Readable(unsigned long long socketToWatch) const {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socketToWatch), &readable);
    timeval wait = {0, 50000};
    return select(0, &readable, nullptr, nullptr, &wait) == 1 && !stop;
}

void TestHttpServer::Answer(unsigned long long clientSocket) {
    const auto client = static_cast<SOCKET>(clientSocket);
    char buffer[1024];
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (stop)
            return;
        if (!Readable(client))
            continue;
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            return;
        request.append(buffer, static_cast<size_t>(got));
    }
    Reply answer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastRequest = request;
        answer = reply;
    }
    ++requests;
    const std::string whole =
        "HTTP/1.1 " + std::to_string(answer.status) + (answer.status == 200 ? " OK" : " Error") +
        "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(answer.body.size()) +
        "\r\nConnection: close\r\n\r\n" + answer.body;
    const std::size_t first =
        answer.pace == Pace::TwoPieces ? whole.size() - answer.body.size() / 2 : whole.size();
    if (answer.pace != Pace::Silent)
        send(client, whole.data(), static_cast<int>(first), 0);
    if (answer.pace == Pace::TwoPieces) {
        Sleep(300);
        send(client, whole.data() + first, static_cast<int>(whole.size() - first), 0);
    }
    // Silent holds the connection until the client gives up.
    while (answer.pace == Pace::Silent && !stop &&
           !(Readable(client) && recv(client, buffer, sizeof(buffer), 0) <= 0)) {
    }
    shutdown(client, SD_SEND);
}
