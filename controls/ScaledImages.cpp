#include "controls/ScaledImages.h"

#include "controls/GdiplusImages.h"

#include "controls/GdiplusHeader.h"

#include <map>
#include <utility>

namespace {

using Key = std::pair<HINSTANCE, int>;

struct Store {
    std::map<Key, std::unique_ptr<Gdiplus::Bitmap>> sources; // as loaded
    std::map<Key, std::shared_ptr<BlendedPicture>> natural;
    double factor = 1.0;
    std::map<Key, std::shared_ptr<BlendedPicture>> scaled; // at `factor`
};

// Made on first use and kept until the process ends: GDI+ is shut down before static
// destructors would run.
Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

// `image` ready to draw; null when there is no image or it cannot be converted.
std::shared_ptr<BlendedPicture> PictureOf(Gdiplus::Bitmap* image) {
    if (!image)
        return nullptr;
    auto picture = std::make_shared<BlendedPicture>(*image);
    return picture->handle ? picture : nullptr;
}

} // namespace

std::shared_ptr<BlendedPicture> ScaledImages::Get(HINSTANCE instance, int id, double factor) {
    Store& store = TheStore();
    const Key key{instance, id};
    auto source = store.sources.find(key);
    if (source == store.sources.end())
        source = store.sources.emplace(key, LoadResourceBitmap(instance, id)).first;
    if (!source->second)
        return nullptr;
    Gdiplus::Bitmap& natural = *source->second;
    if (factor == 1.0) {
        auto found = store.natural.find(key);
        if (found == store.natural.end())
            found = store.natural.emplace(key, PictureOf(&natural)).first;
        return found->second;
    }
    if (factor != store.factor) {
        store.scaled.clear();
        store.factor = factor;
    }
    auto scaled = store.scaled.find(key);
    if (scaled == store.scaled.end()) {
        const int width = static_cast<int>(natural.GetWidth() * factor);
        const int height = static_cast<int>(natural.GetHeight() * factor);
        scaled =
            store.scaled.emplace(key, PictureOf(RenderScaledBitmap(natural, width, height, factor).get()))
                .first;
    }
    return scaled->second;
}
