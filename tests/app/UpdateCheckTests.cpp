// The update check against a real HTTP server on 127.0.0.1, from what the server
// sends to what the user is told.
#include "app/UpdateCheck.h"
#include "app/Version.h"
#include "controls/StatusPanel.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"
#include "tests/app/MainWindowTest.h"
#include "tests/app/UpdateServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Pace = TestHttpServer::Pace;

const std::string kUpToDate = "Current version is up to date.";
const std::string kNewVersion =
    "A new version is available. Please visit https://www.quillmer.example/tavren to get the latest version";
const std::string kUnable = "Unable to connect to update server.";

std::string WithBuild(const std::string& text) {
    return "<?xml version=\"1.0\"?>\n<tavren><versions><current><build>" + text +
           "</build></current></versions></tavren>";
}

// A version document of `length` bytes: the document, padded with spaces inside it.
std::string DocumentOfLength(std::size_t length, int build) {
    std::string document = WithBuild(std::to_string(build));
    document.insert(document.size() - 9, length - document.size(), ' '); // before "</tavren>"
    return document;
}

TEST(UpdateCheck, ReadsWhatTheServerSends) {
    const int own = TAVREN_BUILD_NUMBER;
    const std::string junk(3980, '<');
    const struct {
        const char* what;
        TestHttpServer::Reply reply;
        bool read;
        int build;
    } cases[] = {
        {"the same build", {200, WithBuild(std::to_string(own))}, true, own},
        {"a greater build", {200, WithBuild(std::to_string(own + 1))}, true, own + 1},
        {"a number followed by letters", {200, WithBuild("12abc")}, true, 12},
        {"no build element", {200, "<tavren><versions/></tavren>"}, true, 0},
        {"an HTML error page", {200, "<html><body><h1>Error</h1><hr></body></html>"}, false, 0},
        {"a well-formed error page with status 404",
         {404, "<html><body><h1>Not Found</h1></body></html>"},
         false,
         0},
        {"5000 bytes whose document ends at byte 1020", {200, DocumentOfLength(1020, 77) + junk}, true, 77},
        {"5000 bytes whose document ends at byte 1021",
         {200, DocumentOfLength(1021, 77) + junk.substr(1)},
         false,
         0},
        {"a document in two pieces", {200, WithBuild("31"), Pace::TwoPieces}, true, 31},
        {"no answer at all", {200, WithBuild("5"), Pace::Silent}, false, 0},
    };
    UpdateServer server;
    for (const auto& c : cases) {
        server.Serve(c.reply);
        int build = -1;
        EXPECT_EQ(FetchLatestBuild(build), c.read) << c.what;
        EXPECT_EQ(build, c.build) << c.what;
    }
    EXPECT_EQ(server.Requests(), static_cast<int>(std::size(cases)));
    const std::string request = server.LastRequest();
    EXPECT_EQ(request.rfind("GET /tavren/tavren.xml HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("\r\nUser-Agent: Tavren\r\n"), std::string::npos) << request;
}

TEST(UpdateCheck, TheAddressIsTheBuildsOwnUnlessTheVariableNamesOne) {
    SetEnvironmentVariableW(kUpdateUrlVariable, L"");
    EXPECT_EQ(VersionDocumentUrl(), L"https://www.quillmer.example/tavren/tavren.xml");
    SetEnvironmentVariableW(kUpdateUrlVariable, L"http://127.0.0.1:1/tavren.xml"); // nothing listens there
    int build = -1;
    EXPECT_FALSE(FetchLatestBuild(build));
    EXPECT_EQ(build, 0);
    SetEnvironmentVariableW(kUpdateUrlVariable, nullptr);
}

// The message boxes of this thread seen while `action` ran: each was read and closed
// with its OK button as soon as it appeared.
struct SeenBox {
    std::wstring caption, text, buttons; // the visible buttons' labels, joined
};
std::vector<SeenBox>* gSeen = nullptr;

std::wstring TextOf(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

BOOL CALLBACK ReadAndClose(HWND box, LPARAM) {
    wchar_t name[16] = L"";
    GetClassNameW(box, name, 16);
    if (std::wstring(name) != L"#32770" || !IsWindowEnabled(box) || !IsWindowVisible(box))
        return TRUE;
    SeenBox seen{TextOf(box), L"", L""};
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameW(child, name, 16);
        if (std::wstring(name) == L"Button" && IsWindowVisible(child))
            seen.buttons += TextOf(child);
        else if (std::wstring(name) == L"Static" && TextOf(child).size() > seen.text.size())
            seen.text = TextOf(child);
    }
    gSeen->push_back(seen);
    EnableWindow(box, FALSE); // read once
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return TRUE;
}

std::vector<SeenBox> MessageBoxesDuring(const std::function<void()>& action) {
    std::vector<SeenBox> seen;
    gSeen = &seen;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), ReadAndClose, 0);
    });
    action();
    KillTimer(nullptr, timer);
    return seen;
}

// The last two lines of the status panel: "Checking for updates..." and the outcome.
std::vector<std::string> LastStatusLines(App* app) {
    const auto& lines = app->engine->statusPanel->lines;
    std::vector<std::string> last;
    for (auto line = lines.size() < 2 ? lines.begin() : lines.end() - 2; line != lines.end(); ++line)
        last.emplace_back(line->begin(), line->end());
    return last;
}

// What the Help menu's "Check For Updates" and the start-up timer tell the user.
TEST_F(MainWindowTest, TheUpdateCommandTellsInAMessageBoxTheStartUpTimerOnlyInTheStatusPanel) {
    Open();
    const int own = TAVREN_BUILD_NUMBER;
    const struct {
        std::string document;
        const std::string& status;
        const wchar_t* caption;
    } cases[] = {
        {WithBuild(std::to_string(own)), kUpToDate, L"Update status"},
        {WithBuild(std::to_string(own + 1)), kNewVersion, L"Update status"},
        {"<html><hr></html>", kUnable, L"Error"},
    };
    UpdateServer server;
    for (const auto& c : cases) {
        server.Serve({200, c.document});
        const std::vector<std::string> told = {"Checking for updates...", c.status};

        auto boxes = MessageBoxesDuring([this] { SendMessageW(window, WM_COMMAND, IDM_CHECK_UPDATES, 0); });
        EXPECT_EQ(LastStatusLines(app), told);
        ASSERT_EQ(boxes.size(), 1u) << c.status;
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].text, std::wstring(c.status.begin(), c.status.end()));
        EXPECT_EQ(boxes[0].buttons, L"OK");

        // Timer 3 of the entry point fires once: the check kills it before it runs.
        SetTimer(window, kTimerUpdateCheck, 60000, nullptr);
        boxes = MessageBoxesDuring([this] { SendMessageW(window, WM_TIMER, kTimerUpdateCheck, 0); });
        EXPECT_EQ(LastStatusLines(app), told);
        EXPECT_TRUE(boxes.empty()) << c.status;
        EXPECT_FALSE(KillTimer(window, kTimerUpdateCheck));
    }
}

} // namespace
