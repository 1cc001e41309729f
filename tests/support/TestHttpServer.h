#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// An HTTP server on 127.0.0.1 that answers every request with the reply it was last given,
// the second half of the body 100 ms after the rest (status 0: it never answers). While it lives,
// TAVREN_UPDATE_URL points the update check of this process, and of the programs it starts, at it.
class TestHttpServer {
  public:
    struct Reply {
        int status = 200;
        std::string body;
    };
    TestHttpServer(); // not copyable: it owns a thread and a mutex
    ~TestHttpServer();
    void Serve(const Reply& next) {
        std::lock_guard<std::mutex> lock(mutex);
        reply = next;
    }
    int Requests() const { return requests; }
    std::string LastRequest() const { // its request line and headers
        std::lock_guard<std::mutex> lock(mutex);
        return lastRequest;
    }

  private:
    uintptr_t listener; // a SOCKET
    std::atomic<int> requests{0};
    mutable std::mutex mutex; // guards the two below
    Reply reply;
    std::string lastRequest;
    std::thread thread;
};
