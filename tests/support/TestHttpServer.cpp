#include "tests/support/TestHttpServer.h"

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
    port = ntohs(address.sin_port);
    listener = s;
    thread = std::thread([this] {
        while (!stop) {
            if (!Readable(listener))
                continue;
            const SOCKET client = accept(static_cast<SOCKET>(listener), nullptr, nullptr);
            if (client != INVALID_SOCKET) {
                Answer(client);
                closesocket(client);
            }
        }
    });
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
        "HTTP/1.1 " + std::to_string(answer.status) + (answer.status == 200 ? " OK" : " Error") +
        "\r\nContent-Type: text/xml\r\nContent-Length: " + std::to_string(answer.body.size()) +
        "\r\nConnection: close\r\n\r\n";
    const std::size_t half = answer.pace == Pace::TwoPieces ? answer.body.size() / 2 : answer.body.size();
    const bool body = answer.pace != Pace::Silent;
    const std::string first = body ? head + answer.body.substr(0, half) : "";
    send(client, first.data(), static_cast<int>(first.size()), 0);
    if (answer.pace == Pace::TwoPieces) {
        Sleep(300);
        send(client, answer.body.data() + half, static_cast<int>(answer.body.size() - half), 0);
    }
    // Silent holds the connection until the client gives up.
    while (!body && !stop) {
        if (Readable(client) && recv(client, buffer, sizeof(buffer), 0) <= 0)
            break;
    }
    shutdown(client, SD_SEND);
}
