#include "controls/MainPanel.h"

#include "controls/GdiplusImages.h"
#include "controls/PanMath.h"
#include "resources/ResourceIds.h"

#include "controls/GdiplusHeader.h"

namespace {

// The first picture, drawn on a thread of its own while the window and its controls
// are made.
struct FirstPicture {
    HINSTANCE module = nullptr;
    double factor = 0;
    std::unique_ptr<FileResourceBitmap> source;
    std::unique_ptr<Gdiplus::Bitmap> view;
    HBITMAP handle = nullptr;
    HANDLE thread = nullptr;
};
FirstPicture* gFirstPicture = nullptr;

DWORD WINAPI DrawFirstPicture(void* data) {
    auto* picture = static_cast<FirstPicture*>(data);
    Gdiplus::Bitmap& source = *picture->source->get();
    const int width = static_cast<int>(source.GetWidth());
    const int height = static_cast<int>(source.GetHeight());
    picture->handle =
        RenderScaledDib(source, static_cast<int>(width * picture->factor),
                        static_cast<int>(height * picture->factor), picture->factor, picture->view);
    return 0;
}

// The first picture once drawn, when it was drawn for `module` at `factor`; null
// otherwise. Either way the thread is over and the picture no longer waits.
std::unique_ptr<FirstPicture> TakeFirstPicture(HINSTANCE module, double factor) {
    std::unique_ptr<FirstPicture> picture(gFirstPicture);
    gFirstPicture = nullptr;
    if (!picture)
        return nullptr;
    WaitForSingleObject(picture->thread, INFINITE);
    CloseHandle(picture->thread);
    if (picture->module == module && picture->factor == factor && picture->handle)
        return picture;
    picture->view.reset();
    if (picture->handle)
        DeleteObject(picture->handle);
    return nullptr;
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
    auto picture = std::make_unique<FirstPicture>();
    picture->module = module;
    picture->source = std::make_unique<FileResourceBitmap>(module, IDB_PANEL);
    if (!picture->source->get() || width <= 0)
        return;
    // As the panel computes it from its parent's width.
    picture->factor = static_cast<double>(width) / static_cast<int>(picture->source->get()->GetWidth());
    picture->thread = CreateThread(nullptr, 0, DrawFirstPicture, picture.get(), 0, nullptr);
    if (picture->thread)
        gFirstPicture = picture.release();
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
    image.reset(); // it draws on the GDI bitmap's pixels
    if (imageHandle)
        DeleteObject(imageHandle);
    imageHandle = nullptr;
}

void MainPanel::Render(double factor) {
    ReleaseImage();
    if (std::unique_ptr<FirstPicture> first = TakeFirstPicture(instance, factor)) {
        image = std::move(first->view); // over the handle's pixels
        imageHandle = first->handle;
        return;
    }
    // Read from the program file for this drawing only: the picture's 5 MB do not stay
    // in memory once it is drawn.
    FileResourceBitmap natural(instance, resource);
    if (natural.get())
        imageHandle = RenderScaledDib(*natural.get(), static_cast<int>(naturalWidth * factor),
                                      static_cast<int>(naturalHeight * factor), factor, image);
}

void MainPanel::SetScale(double factor) {
    scale = factor;
    Render(factor);
    currentWidth = static_cast<int>(naturalWidth * factor);
    currentHeight = static_cast<int>(naturalHeight * factor);
    MoveWindow(hwnd, 0, 0, currentWidth, currentHeight, TRUE);
}

void MainPanel::OnPaint() {
    if (!imageHandle && hasPicture)
        Render(scale);
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
