#include "tests/support/TestHttpServer.h"

#include "app/UpdateCheck.h"

#include <winsock2.h>

#include <windows.h>

TestHttpServer::TestHttpServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // port 0: any free one
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    listen(listener, 4);
    int size = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    const std::wstring url =
        L"http://127.0.0.1:" + std::to_wstring(ntohs(address.sin_port)) + L"/tavren/tavren.xml";
    SetEnvironmentVariableW(kUpdateUrlVariable, url.c_str());
    thread = std::thread([this] { // until the listener is closed
        for (SOCKET client; (client = accept(listener, nullptr, nullptr)) != INVALID_SOCKET;) {
            // No read or write waits longer, the silent answer included: a client that stops
            // reading a long answer without closing cannot hold the server.
            const DWORD patience = 3000;
            for (int option : {SO_RCVTIMEO, SO_SNDTIMEO})
                setsockopt(client, SOL_SOCKET, option, reinterpret_cast<const char*>(&patience),
                           sizeof patience);
            char buffer[1024];
            std::string request;
            for (int got = 1; got > 0 && request.find("\r\n\r\n") == std::string::npos;)
                if ((got = recv(client, buffer, 1024, 0)) > 0)
                    request.append(buffer, static_cast<size_t>(got));
            std::unique_lock<std::mutex> lock(mutex);
            lastRequest = request;
            const Reply answer = reply;
            lock.unlock();
            ++requests;
            const std::string whole = "HTTP/1.1 " + std::to_string(answer.status) +
                                      " X\r\nContent-Length: " + std::to_string(answer.body.size()) +
                                      "\r\nConnection: close\r\n\r\n" + answer.body;
            const int first = static_cast<int>(whole.size() - answer.body.size() / 2); // the rest comes later
            if (answer.status != 0) {
                send(client, whole.data(), first, 0);
                Sleep(100);
                send(client, whole.data() + first, static_cast<int>(whole.size()) - first, 0);
            }
            while (answer.status == 0 && recv(client, buffer, 1024, 0) > 0) { // until the client gives up
            }
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    });
}

TestHttpServer::~TestHttpServer() {
    SetEnvironmentVariableW(kUpdateUrlVariable, nullptr);
    closesocket(listener);
    thread.join();
    WSACleanup();
}
