#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// An HTTP server on 127.0.0.1, on a thread of the test program, that answers every
// request with the reply it was last given. While it lives, TAVREN_UPDATE_URL points the
// update check of this process, and of the programs it starts, at it.
class TestHttpServer {
  public:
    enum class Pace {
        Whole,     // head and body at once
        TwoPieces, // head and half the body, a pause, then the rest
        Silent,    // reads the request and never answers
    };
    struct Reply {
        int status = 200;
        std::string body;
        Pace pace = Pace::Whole;
    };

    TestHttpServer(); // not copyable: it owns a thread and a mutex
    ~TestHttpServer();

    void Serve(const Reply& next);
    int Requests() const { return requests; }
    std::string LastRequest() const; // its request line and headers

  private:
    void Answer(unsigned long long client);
    bool Readable(unsigned long long socket) const; // within 50 ms

    unsigned long long listener; // a SOCKET
    std::atomic<bool> stop{false};
    std::atomic<int> requests{0};
    mutable std::mutex mutex; // guards the two below
    Reply reply;
    std::string lastRequest;
    std::thread thread;
};
