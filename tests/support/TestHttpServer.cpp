#include "tests/support/TestHttpServer.h"

#include <winsock2.h>

#include <windows.h>

namespace {

void SendAll(SOCKET client, const std::string& bytes) {
    send(client, bytes.data(), static_cast<int>(bytes.size()), 0);
}

} // namespace

TestHttpServer::TestHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0; // any free port
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(s, 4);
    int size = sizeof(address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    listener = s;
    thread = std::thread([this] { Run(); });
}

TestHttpServer::~TestHttpServer() {
    stop = true;
    thread.join();
    closesocket(static_cast<SOCKET>(listener));
    WSACleanup();
}

void TestHttpServer::Serve(const Reply& next) {
    std::lock_guard<std::mutex> lock(mutex);
    reply = next;
}

std::wstring TestHttpServer::Url() const {
    return L"http://127.0.0.1:" + std::to_wstring(port) + L"/tavren/tavren.xml";
}

std::string TestHttpServer::LastRequest() const {
    std::lock_guard<std::mutex> lock(mutex);
    return lastRequest;
}

bool TestHttpServer::Stopping(unsigned long long socketToWatch) const {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socketToWatch), &readable);
    timeval wait = {0, 50000};
    select(0, &readable, nullptr, nullptr, &wait);
    return stop || !FD_ISSET(static_cast<SOCKET>(socketToWatch), &readable);
}

void TestHttpServer::Run() {
    while (!stop) {
        if (Stopping(listener))
            continue;
        SOCKET client = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
        if (client != INVALID_SOCKET) {
            Answer(client);
            closesocket(client);
        }
    }
}

void TestHttpServer::Answer(unsigned long long clientSocket) {
    const auto client = static_cast<SOCKET>(clientSocket);
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (Stopping(client)) {
            if (stop)
                return;
            continue;
        }
        char buffer[1024];
        const int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            return;
        request.append(buffer, got);
    }
    Reply answer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        lastRequest = request;
        answer = reply;
    }
    ++requests;

    const std::string head =
        "HTTP/1.1 " + std::to_string(answer.status) + " " + (answer.status == 200 ? "OK" : "Error") +
        "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(answer.body.size()) +
        "\r\nConnection: close\r\n\r\n";
    const std::size_t half = answer.body.size() / 2;
    switch (answer.pace) {
    case Pace::Whole:
        SendAll(client, head + answer.body);
        break;
    case Pace::TwoPieces:
        SendAll(client, head + answer.body.substr(0, half));
        Sleep(300);
        SendAll(client, answer.body.substr(half));
        break;
    case Pace::HeadOnly:
        SendAll(client, head);
        [[fallthrough]];
    case Pace::Silent: {
        // Holds the connection until the client gives up or the server stops.
        char buffer[256];
        while (!stop) {
            if (!Stopping(client) && recv(client, buffer, sizeof(buffer), 0) <= 0)
                break;
        }
        break;
    }
    }
    shutdown(client, SD_SEND);
}
