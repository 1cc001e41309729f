#include "controls/MainPanel.h"

#include "controls/GdiplusImages.h"
#include "controls/PanMath.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

// The panel's picture drawn at one factor on a thread of its own, so that the window
// and the controls can be moved, or first made, meanwhile.
struct PictureJob {
    HINSTANCE module = nullptr;
    int resource = 0;
    double factor = 0;
    int width = 0;
    int height = 0;
    std::unique_ptr<FileResourceBitmap> source; // opened by the thread when not given
    HBITMAP handle = nullptr;
    HANDLE thread = nullptr;
    // A rescale waits for its picture, drawn in two halves at once. The first one is
    // drawn whole: the window and its controls take longer to make than the picture to
    // draw, and a second drawing thread would only take the core they need.
    bool inHalves = true;
};

namespace {

// The lower half of a picture, drawn on a second thread from a source bitmap of its own.
struct LowerHalf {
    const PictureJob* job;
    std::unique_ptr<Gdiplus::Bitmap> source;
    void* bits;
    bool drawn = false;
};

DWORD WINAPI DrawLowerHalf(void* data) {
    auto* half = static_cast<LowerHalf*>(data);
    const PictureJob& job = *half->job;
    half->drawn = half->source && DrawScaledRows(*half->source, half->bits, job.width, job.height / 2,
                                                 job.height, job.factor);
    return 0;
}

DWORD WINAPI DrawPicture(void* data) {
    auto* job = static_cast<PictureJob*>(data);
    if (!job->source)
        job->source = std::make_unique<FileResourceBitmap>(job->module, job->resource);
    void* bits = nullptr;
    Gdiplus::Bitmap* natural = job->source->get();
    if (natural && job->width > 0 && job->height > 0)
        job->handle = CreateTopDownDib(job->width, job->height, bits);
    if (job->handle) {
        bool drawn = false;
        if (job->inHalves) {
            // The two halves are drawn at once.
            LowerHalf lower{job, job->source->Another(), bits};
            HANDLE helper = CreateThread(nullptr, 0, DrawLowerHalf, &lower, 0, nullptr);
            if (!helper)
                DrawLowerHalf(&lower);
            drawn = DrawScaledRows(*natural, bits, job->width, 0, job->height / 2, job->factor);
            if (helper) {
                WaitForSingleObject(helper, INFINITE);
                CloseHandle(helper);
            }
            drawn = drawn && lower.drawn;
        } else {
            drawn = DrawScaledRows(*natural, bits, job->width, 0, job->height, job->factor);
        }
        if (!drawn) {
            DeleteObject(job->handle);
            job->handle = nullptr;
        }
    }
    // Read from the program file for this drawing only: the picture's 5 MB do not stay
    // in memory once it is drawn.
    job->source.reset();
    return 0;
}

std::unique_ptr<PictureJob> StartPicture(std::unique_ptr<PictureJob> job) {
    job->thread = CreateThread(nullptr, 0, DrawPicture, job.get(), 0, nullptr);
    if (!job->thread)
        DrawPicture(job.get()); // drawn here instead
    return job;
}

void WaitForPicture(PictureJob& job) {
    if (!job.thread)
        return;
    WaitForSingleObject(job.thread, INFINITE);
    CloseHandle(job.thread);
    job.thread = nullptr;
}

void DiscardPicture(std::unique_ptr<PictureJob>& job) {
    if (!job)
        return;
    WaitForPicture(*job);
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
    auto job = std::make_unique<PictureJob>();
    job->module = module;
    job->resource = IDB_PANEL;
    job->inHalves = false;
    job->source = std::make_unique<FileResourceBitmap>(module, IDB_PANEL);
    Gdiplus::Bitmap* natural = job->source->get();
    if (!natural || width <= 0)
        return;
    // As the panel computes it from its parent's width.
    const int naturalWidth = static_cast<int>(natural->GetWidth());
    job->factor = static_cast<double>(width) / naturalWidth;
    job->width = static_cast<int>(naturalWidth * job->factor);
    job->height = static_cast<int>(static_cast<int>(natural->GetHeight()) * job->factor);
    gFirstPicture = StartPicture(std::move(job)).release();
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
    if (pending)
        return;
    auto job = std::make_unique<PictureJob>();
    job->module = instance;
    job->resource = resource;
    job->factor = factor;
    job->width = static_cast<int>(naturalWidth * factor);
    job->height = static_cast<int>(naturalHeight * factor);
    pending = StartPicture(std::move(job));
}

void MainPanel::FinishScale() {
    if (!pending)
        return;
    WaitForPicture(*pending);
    imageHandle = pending->handle;
    pending.reset();
}

void MainPanel::SetScale(double factor) {
    scale = factor;
    StartRender(factor);
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
    EndPaint(hwnd, &paint);
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
