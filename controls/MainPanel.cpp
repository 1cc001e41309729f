#include "controls/MainPanel.h"

#include "controls/GdiplusImages.h"
#include "controls/PanMath.h"
#include "controls/SharedWork.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

#include <atomic>

// The panel's picture drawn at one factor while the window and the controls are moved,
// or first made. It is drawn in bands, shared by a thread of its own and the thread that
// waits for the picture once it has moved everything; each draws from a source bitmap of
// its own. Whatever else the panel needs before it is drawn (the knobs' frames) follows
// the bands on the same two threads.
struct PictureJob {
    static constexpr int kBands = 8;
    HINSTANCE module = nullptr;
    double factor = 0;
    int width = 0;
    int height = 0;
    std::unique_ptr<FileResourceBitmap> source;    // for the drawing thread
    std::unique_ptr<Gdiplus::Bitmap> waiterSource; // over the same pixels, so released first
    HBITMAP handle = nullptr;
    void* bits = nullptr;
    std::atomic<bool> failed{false};
    std::unique_ptr<SharedWork> work; // last, so that it ends first
};

namespace {

// The picture of `source` at `factor`, width x height, being drawn; null when the
// bitmap cannot be read or the picture made. The source is read from the program file
// for this drawing only: its 5 MB do not stay in memory once the picture is taken.
std::unique_ptr<PictureJob> StartPicture(std::unique_ptr<FileResourceBitmap> source, HINSTANCE module,
                                         double factor, int width, int height) {
    if (!source->get() || width <= 0 || height <= 0)
        return nullptr;
    auto job = std::make_unique<PictureJob>();
    job->module = module;
    job->factor = factor;
    job->width = width;
    job->height = height;
    job->source = std::move(source);
    job->waiterSource = job->source->Another();
    job->handle = CreateTopDownDib(width, height, job->bits);
    if (!job->handle)
        return nullptr;
    std::vector<SharedWork::Task> tasks;
    for (int band = 0; band < PictureJob::kBands; ++band) {
        tasks.push_back([picture = job.get(), band](int lane) {
            const int top = picture->height * band / PictureJob::kBands;
            const int bottom = picture->height * (band + 1) / PictureJob::kBands;
            Gdiplus::Bitmap& from = lane == 0 ? *picture->source->get() : *picture->waiterSource;
            if (bottom > top &&
                !DrawScaledRows(from, picture->bits, picture->width, top, bottom, picture->factor))
                picture->failed = true;
        });
    }
    job->work = std::make_unique<SharedWork>(std::move(tasks), job->waiterSource != nullptr);
    return job;
}

// Waits for the picture, drawing what is left of it, and lets the source go; the
// picture is null when it could not be drawn whole.
void FinishPicture(PictureJob& job) {
    job.work->Finish();
    if (job.failed && job.handle) {
        DeleteObject(job.handle);
        job.handle = nullptr;
    }
    job.waiterSource.reset();
    job.source.reset();
}

void DiscardPicture(std::unique_ptr<PictureJob>& job) {
    if (!job)
        return;
    job->work->Drop();
    FinishPicture(*job);
    if (job->handle)
        DeleteObject(job->handle);
    job.reset();
}

// The first picture, started before the window and its controls are made.
PictureJob* gFirstPicture = nullptr;

// The first picture when it is being drawn for `module` at `factor`; null otherwise,
// and then it no longer waits.
std::unique_ptr<PictureJob> TakeFirstPicture(HINSTANCE module, double factor) {
    std::unique_ptr<PictureJob> job(gFirstPicture);
    gFirstPicture = nullptr;
    if (job && (job->module != module || job->factor != factor))
        DiscardPicture(job);
    return job;
}

// Whether a control the panel draws is shown: made, and not hidden by its style.
bool Shown(const CustomControl& control) {
    return control.hwnd != nullptr && (GetWindowLongPtrW(control.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

RECT ParentClient(HWND window) {
    RECT client = {0, 0, 0, 0};
    if (HWND parent = GetParent(window))
        GetClientRect(parent, &client);
    return client;
}

} // namespace

void MainPanel::PrepareFirstPicture(HINSTANCE module, int width) {
    if (gFirstPicture)
        return;
    auto source = std::make_unique<FileResourceBitmap>(module, IDB_PANEL);
    Gdiplus::Bitmap* natural = source->get();
    if (!natural || width <= 0)
        return;
    // As the panel computes it from its parent's width.
    const int naturalWidth = static_cast<int>(natural->GetWidth());
    const int naturalHeight = static_cast<int>(natural->GetHeight());
    const double factor = static_cast<double>(width) / naturalWidth;
    gFirstPicture = StartPicture(std::move(source), module, factor, static_cast<int>(naturalWidth * factor),
                                 static_cast<int>(naturalHeight * factor))
                        .release();
}

MainPanel::MainPanel(IHost* controlHost, HWND parent, HINSTANCE module, const RECT& area)
    : CustomControl(controlHost, L"MAINPANEL", 0, area), instance(module), resource(IDB_PANEL) {
    FileResourceBitmap picture(instance, resource);
    if (Gdiplus::Bitmap* natural = picture.get()) {
        hasPicture = true;
        naturalWidth = static_cast<int>(natural->GetWidth());
        naturalHeight = static_cast<int>(natural->GetHeight());
        rect.right = rect.left + naturalWidth;
        rect.bottom = rect.top + naturalHeight;
        // Drawn when first painted: a window that opens scaled never needs natural size.
    } else {
        naturalWidth = rect.right - rect.left;
        naturalHeight = rect.bottom - rect.top;
    }
    currentWidth = naturalWidth;
    currentHeight = naturalHeight;
    CreateControlWindow(parent, instance);
}

MainPanel::~MainPanel() {
    ReleaseImage();
}

void MainPanel::ReleaseImage() {
    DiscardPicture(pending);
    if (imageHandle)
        DeleteObject(imageHandle);
    imageHandle = nullptr;
}

void MainPanel::StartRender(double factor) {
    ReleaseImage();
    if (!hasPicture)
        return;
    pending = TakeFirstPicture(instance, factor);
    if (!pending)
        pending =
            StartPicture(std::make_unique<FileResourceBitmap>(instance, resource), instance, factor,
                         static_cast<int>(naturalWidth * factor), static_cast<int>(naturalHeight * factor));
}

void MainPanel::FinishScale() {
    if (!pending)
        return;
    FinishPicture(*pending);
    imageHandle = pending->handle;
    pending.reset();
}

void MainPanel::SetScale(double factor) {
    scale = factor;
    // What the controls it shows need to be drawn at the new scale is prepared beside
    // the picture. What they and the panel release goes first: memory unmapped while
    // another thread runs stops it.
    ReleaseImage();
    std::vector<SharedWork::Task> meanwhile;
    for (CustomControl* control : drawnControls)
        if (Shown(*control))
            control->PrepareScale(factor, meanwhile);
    StartRender(factor);
    if (pending)
        pending->work->Add(std::move(meanwhile));
    else
        for (SharedWork::Task& task : meanwhile)
            task(1);
    currentWidth = static_cast<int>(naturalWidth * factor);
    currentHeight = static_cast<int>(naturalHeight * factor);
    // Whoever rescales draws the panel anew once everything has moved.
    SetWindowPos(hwnd, nullptr, 0, 0, currentWidth, currentHeight, kMoveWithoutDrawing);
}

void MainPanel::OnPaint() {
    FinishScale();
    if (!imageHandle && hasPicture) {
        StartRender(scale);
        FinishScale();
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (imageHandle) {
        // The picture is drawn unscaled; only the area that needs it is copied.
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(memory, imageHandle);
        const RECT& area = paint.rcPaint;
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left,
               area.top, SRCCOPY);
        SelectObject(memory, previous);
        DeleteDC(memory);
    } else {
        // Without its picture the panel shows a grid of 50 pixels.
        RECT client;
        GetClientRect(hwnd, &client);
        HGDIOBJ previous = SelectObject(dc, GetStockObject(WHITE_PEN));
        for (int x = 0; x < client.right; x += 50) {
            MoveToEx(dc, x, 0, nullptr);
            LineTo(dc, x, client.bottom - 1);
        }
        for (int y = 0; y < client.bottom; y += 50) {
            MoveToEx(dc, 0, y, nullptr);
            LineTo(dc, client.right - 1, y);
        }
        SelectObject(dc, previous);
    }
    // The controls it draws, where they meet the area.
    for (CustomControl* control : drawnControls) {
        if (!Shown(*control))
            continue;
        RECT area;
        GetWindowRect(control->hwnd, &area);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&area), 2);
        RECT overlap;
        if (IntersectRect(&overlap, &area, &paint.rcPaint))
            control->DrawAt(dc, POINT{area.left, area.top});
    }
    EndPaint(hwnd, &paint);
}

void MainPanel::ValidateControls() {
    for (const CustomControl* control : drawnControls)
        if (control->hwnd != nullptr)
            ValidateRect(control->hwnd, nullptr);
}

bool MainPanel::OnLButtonDown(int, int) {
    return true;
}

POINT MainPanel::PositionInParent() const {
    RECT screen = {0, 0, 0, 0};
    GetWindowRect(hwnd, &screen);
    POINT topLeft = {screen.left, screen.top};
    if (HWND parent = GetParent(hwnd))
        ScreenToClient(parent, &topLeft);
    return topLeft;
}

void MainPanel::MoveClamped(int x, int y, int width, int height) {
    const RECT parent = ParentClient(hwnd);
    x = ClampPanAxis(x, width, parent.right - parent.left);
    y = ClampPanAxis(y, height, parent.bottom - parent.top);
    SetWindowPos(hwnd, nullptr, x, y, width, height, 0);
}

bool MainPanel::OnMButtonDown(int, int) {
    GetWindowRect(hwnd, &dragWindowRect);
    dragWindowStart = PositionInParent();
    GetCursorPos(&dragCursorStart);
    panning = true;
    SetCapture(hwnd);
    return false;
}

bool MainPanel::OnMouseMove(int, int) {
    if (!panning)
        return false;
    POINT now;
    GetCursorPos(&now);
    MoveClamped(dragWindowStart.x + now.x - dragCursorStart.x, dragWindowStart.y + now.y - dragCursorStart.y,
                dragWindowRect.right - dragWindowRect.left, dragWindowRect.bottom - dragWindowRect.top);
    return false;
}

bool MainPanel::OnMButtonUp(int, int) {
    panning = false;
    ReleaseCapture();
    return false;
}

bool MainPanel::OnCaptureLost(bool cancelMode) {
    panning = false;
    if (cancelMode)
        ReleaseCapture();
    return false;
}

bool MainPanel::OnMouseWheel(int delta, int keys, int, int) {
    const int dy = WheelScrollPixels(delta, (keys & MK_CONTROL) != 0, (keys & MK_SHIFT) != 0);
    const POINT position = PositionInParent();
    RECT client;
    GetClientRect(hwnd, &client);
    MoveClamped(position.x, position.y + dy, client.right, client.bottom);
    UpdateWindow(hwnd);
    return false;
}
