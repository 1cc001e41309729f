#include "controls/ScaledImages.h"

#include "controls/GdiplusImages.h"

#include "controls/GdiplusHeader.h"

#include <map>
#include <utility>

namespace {

using Key = std::pair<HINSTANCE, int>;

struct Store {
    std::map<Key, std::shared_ptr<Gdiplus::Bitmap>> natural;
    double factor = 1.0;
    std::map<Key, std::shared_ptr<Gdiplus::Bitmap>> scaled; // at `factor`
};

// Made on first use and kept until the process ends: GDI+ is shut down before static
// destructors would run.
Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

} // namespace

std::shared_ptr<Gdiplus::Bitmap> ScaledImages::Get(HINSTANCE instance, int id, double factor) {
    Store& store = TheStore();
    const Key key{instance, id};
    auto natural = store.natural.find(key);
    if (natural == store.natural.end())
        natural = store.natural.emplace(key, LoadResourceBitmap(instance, id)).first;
    if (factor == 1.0 || !natural->second)
        return natural->second;
    if (factor != store.factor) {
        store.scaled.clear();
        store.factor = factor;
    }
    auto scaled = store.scaled.find(key);
    if (scaled == store.scaled.end()) {
        Gdiplus::Bitmap& source = *natural->second;
        const int width = static_cast<int>(source.GetWidth() * factor);
        const int height = static_cast<int>(source.GetHeight() * factor);
        scaled = store.scaled.emplace(key, RenderScaledBitmap(source, width, height, factor)).first;
    }
    return scaled->second;
}
