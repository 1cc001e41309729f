#pragma once

#include <windows.h>

#include <memory>

class BlendedPicture;

// The bitmap resources of the switches and buttons, each loaded once and rendered once
// per scale factor for all the controls that show it: eighteen lever switches share
// two pictures, so a rescale renders two instead of thirty-six.
class ScaledImages {
  public:
    // Bitmap `id` at factor x its natural size, each side truncated, ready to draw.
    // Null when it cannot be loaded or the size is empty. Only the pictures of the
    // latest factor are kept besides the natural ones.
    static std::shared_ptr<BlendedPicture> Get(HINSTANCE instance, int id, double factor);
};
