// bench-controls [ROUNDS]: prints how long the control toolkit takes to re-render the
// shared knob sprite strips at several scale factors, to re-render the lever switch
// images, to repaint all 32 knobs of the front panel, and to rescale the whole front
// panel by one step of a window drag, beside drawing the panel picture (bitmap 129)
// alone at the same factor. Each figure is the median of ROUNDS runs (default 7).
// Needs a display; exit status 1 when the art did not load.
#include "app/IHost.h"
#include "controls/ControlClasses.h"
#include "controls/GdiplusImages.h"
#include "controls/ImageToggle.h"
#include "controls/ImageToggle4State.h"
#include "controls/Knob.h"
#include "controls/KnobSprites.h"
#include "controls/MainPanel.h"
#include "engine/Parameter.h"
#include "engine/PatchBank.h"
#include "engine/Pro800Engine.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

#include <cstdio>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kKnobCount = 32;

// The controls report to a host; this one only counts.
class BenchHost : public IHost {
  public:
    virtual ~BenchHost() = default;
    HWND GetHwnd() override { return window; }
    void ControlChanged(int, int) override { ++changes; }
    void ShowStatus(std::string) override {}
    HFONT GetSmallFont() override { return nullptr; }
    HFONT GetMediumFont() override { return nullptr; }
    HFONT GetLargeFont() override { return nullptr; }
    void SelectPatch(int, int) override {}
    void SendProgramChange(int, int) override {}
    PatchBank* GetPatchBank() override { return &bank; }

    HWND window = nullptr;
    int changes = 0;
    PatchBank bank;
};

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median time in milliseconds of `rounds` runs of `step`; `reset` runs untimed before each.
double MedianMs(int rounds, const std::function<void()>& reset, const std::function<void()>& step) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        reset();
        double start = Now();
        step();
        times.push_back((Now() - start) * 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Natural centre of knob i: eight to a row, four rows.
int KnobX(int i) {
    return 60 + (i % 8) * 110;
}
int KnobY(int i) {
    return 60 + (i / 8) * 110;
}

// One step of rescaling the whole front panel, as a drag of the window's border makes
// it with the controls shown (as the "Dynamic Screen Scaling" command and maximizing
// do): the engine's Resize and the repaint of everything it moved, beside drawing
// bitmap 129 alone into a new bitmap at the same factor, which any rescale must do.
void BenchEditorRescale(HINSTANCE instance, int rounds) {
    BenchHost host;
    host.window = CreateWindowExW(0, L"BENCHPANEL", L"editor", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1080,
                                  nullptr, nullptr, instance, nullptr);
    Pro800Engine engine;
    engine.BuildEditor(&host, host.window, instance, RECT{0, 0, 1920, 1080});
    host.bank.host = &host;
    host.bank.engine = &engine;
    host.bank.SwitchBank(0);
    engine.ShowEditor(&host, host.window, instance);
    // Every knob at another frame: as many frames to render as there can be.
    int next = 0;
    for (Parameter* parameter : engine.parameters.GetParameters())
        engine.SetParameterValue(parameter->GetId(), (next++ * 37) % 256);
    RedrawWindow(host.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    std::unique_ptr<Gdiplus::Bitmap> panel = LoadResourceBitmap(instance, IDB_PANEL);
    if (!panel) {
        std::printf("  bitmap 129 did not load\n");
        return;
    }
    std::printf(
        "one rescale step of the whole front panel (Resize: panel, list, status panel, 58 controls, and the\n"
        "frames the knobs show, rendered beside the panel's picture) beside drawing bitmap 129 alone with\n"
        "GDI+ at the same factor, then the repaint that follows the step with every control shown:\n");
    auto reset = [&] {
        engine.ApplyScale(1.0);
        RedrawWindow(host.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
    };
    auto elapsedMs = [](const std::function<void()>& work) {
        double start = Now();
        work();
        return (Now() - start) * 1000.0;
    };
    auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    for (double factor : {0.5, 0.75, 1.25, 1.5, 2.0}) {
        const int width = static_cast<int>(1920 * factor);
        const int height = static_cast<int>(869 * factor);
        // Side by side in every round, so that both figures meet the same load.
        std::vector<double> picture, resize, paint, ratio, ratioWithPaint;
        for (int round = 0; round < rounds; ++round) {
            picture.push_back(elapsedMs([&] { RenderScaledBitmap(*panel, width, height, factor); }));
            reset();
            resize.push_back(elapsedMs([&] { engine.Resize(width, height); }));
            paint.push_back(elapsedMs([&] {
                RedrawWindow(host.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                GdiFlush();
            }));
            ratio.push_back(resize.back() / picture.back());
            ratioWithPaint.push_back((resize.back() + paint.back()) / picture.back());
        }
        std::printf(
            "  factor %.2f: bitmap 129 alone %7.2f ms, rescale step %7.2f ms, ratio %.2f; then the first "
            "repaint %6.2f ms, ratio with it %.2f\n",
            factor, median(picture), median(resize), median(ratio), median(paint), median(ratioWithPaint));
    }
    engine.ApplyScale(1.0);
    DestroyWindow(host.window);
    Pump();
}

int Run(int rounds) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterControlClasses(instance);
    KnobSprites* sprites = Knob::Sprites();
    if (!sprites || !sprites->Prepare(0)) {
        std::fprintf(stderr, "bench-controls: the knob strips (bitmaps 136, 137) did not load\n");
        return 1;
    }

    WNDCLASSW panelClass = {};
    panelClass.lpfnWndProc = PanelProc;
    panelClass.hInstance = instance;
    panelClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    panelClass.lpszClassName = L"BENCHPANEL";
    RegisterClassW(&panelClass);
    BenchHost host;
    host.window = CreateWindowExW(0, L"BENCHPANEL", L"bench", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1000,
                                  nullptr, nullptr, instance, nullptr);
    if (!host.window) {
        std::fprintf(stderr, "bench-controls: no window (is there a display?)\n");
        return 1;
    }

    // 32 knobs in four rows, as many as the front panel has.
    std::vector<std::unique_ptr<Knob>> knobs;
    for (int i = 0; i < kKnobCount; ++i)
        knobs.push_back(std::make_unique<Knob>(&host, host.window, instance, KnobX(i), KnobY(i), 255, i + 1));
    std::vector<std::unique_ptr<ImageToggleBase>> toggles;
    for (int i = 0; i < 18; ++i)
        toggles.push_back(std::make_unique<ImageToggle>(&host, host.window, instance, 40 + i * 100, 800,
                                                        IDB_SWITCH_DOWN, IDB_SWITCH_UP, false, 100 + i));
    for (int i = 0; i < 4; ++i)
        toggles.push_back(
            std::make_unique<ImageToggle4State>(&host, host.window, instance, 1850, 40 + i * 90, 200 + i));
    Pump();

    std::printf("control toolkit figures (median of %d rounds)\n", rounds);
    std::printf(
        "knob sprite strips, 128 frames of 67 x 67 natural, SetScale on the first of %d knobs and the\n"
        "first frame it shows rendered (the others are rendered when a knob first shows them):\n",
        kKnobCount);
    for (double factor : {0.5, 0.75, 1.25, 1.5, 2.0}) {
        // The first knob takes the new factor; the others find it taken.
        double first = MedianMs(
            rounds, [&] { knobs[0]->SetScale(1.0); },
            [&] {
                knobs[0]->SetScale(factor);
                sprites->Prepare(63);
            });
        int renders = 0;
        double others = MedianMs(
            rounds, [&] { knobs[0]->SetScale(factor); },
            [&] {
                int before = sprites->renderCount;
                for (int i = 1; i < kKnobCount; ++i)
                    knobs[i]->SetScale(factor);
                renders += sprites->renderCount - before;
            });
        std::printf(
            "  factor %.2f: frame %3d px, first knob %8.2f ms, other %d knobs %7.4f ms (%d renders)\n",
            factor, sprites->frameWidth, first, kKnobCount - 1, others, renders);
    }
    knobs[0]->SetScale(1.0);

    std::printf(
        "lever switch images, SetScale of all %zu switches (the pictures they share rendered once):\n",
        toggles.size());
    for (double factor : {0.75, 1.5}) {
        double all = MedianMs(
            rounds,
            [&] {
                // Another factor first, so that every round renders the pictures anew.
                for (auto& toggle : toggles)
                    toggle->SetScale(factor + 0.01);
            },
            [&] {
                for (auto& toggle : toggles)
                    toggle->SetScale(factor);
            });
        std::printf("  factor %.2f: %8.2f ms\n", factor, all);
    }
    for (auto& toggle : toggles)
        toggle->SetScale(1.0);

    std::printf("repainting all %d knobs after their values changed, each updated at once:\n", kKnobCount);
    for (double factor : {1.0, 1.5}) {
        knobs[0]->SetScale(factor);
        int side = Knob::FrameSize() + 10;
        for (int i = 0; i < kKnobCount; ++i) {
            POINT origin = Knob::WindowOrigin(static_cast<int>(KnobX(i) * factor + 0.5),
                                              static_cast<int>(KnobY(i) * factor + 0.5));
            MoveWindow(knobs[i]->hwnd, origin.x, origin.y, side, side, TRUE);
        }
        Pump();
        int round = 0;
        const int repaints = 50;
        auto setNextValues = [&] {
            ++round;
            for (int i = 0; i < kKnobCount; ++i)
                knobs[i]->SetValue((round * 37 + i * 11) % 256);
        };
        double batch = MedianMs(
            rounds, [] {},
            [&] {
                for (int r = 0; r < repaints; ++r) {
                    setNextValues();
                    for (int i = 0; i < kKnobCount; ++i)
                        UpdateWindow(knobs[i]->hwnd);
                }
                GdiFlush();
            });
        double perRepaint = batch / repaints;
        // The same through one redraw of the parent, which paints the children in one go.
        double together = MedianMs(
            rounds, [] {},
            [&] {
                for (int r = 0; r < repaints; ++r) {
                    setNextValues();
                    RedrawWindow(host.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                }
                GdiFlush();
            });
        std::printf(
            "  factor %.2f: %7.3f ms per repaint of %d knobs (%6.1f us per knob), %7.3f ms through the "
            "parent\n",
            factor, perRepaint, kKnobCount, perRepaint * 1000.0 / kKnobCount, together / repaints);
    }
    knobs[0]->SetScale(1.0);
    Pump();
    knobs.clear();
    toggles.clear();
    DestroyWindow(host.window);
    Pump();
    BenchEditorRescale(instance, rounds);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 7;
    if (argc > 1) {
        rounds = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
        if (rounds < 1 || rounds > 1000) {
            std::fprintf(stderr, "usage: bench-controls [ROUNDS 1..1000]\n");
            return 3;
        }
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        std::fprintf(stderr, "bench-controls: GDI+ did not start\n");
        return 1;
    }
    int status = Run(rounds);
    Gdiplus::GdiplusShutdown(token);
    return status;
}
