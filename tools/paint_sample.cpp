// Paints the sample picture that the README's commands run on: sky, sun, hills, a lake and
// a striped kite, with gradients, hard edges and fine detail for the effects to show.
// Usage: tesselane_paint_sample OUTPUT.bmp [WIDTH HEIGHT]

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tesselane/image/colour.h"
#include "tesselane/image/image.h"

namespace {

using tesselane::Image;
using tesselane::Pixel;

double clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

Pixel mix(Pixel a, Pixel b, double t) { return tesselane::lerpPixel(a, b, clamp01(t)); }

Pixel paint(double u, double v) {
    // Sky: deep blue at the top to a warm haze at the horizon.
    Pixel colour = mix(Pixel{40, 70, 160, 255}, Pixel{250, 190, 140, 255}, v / 0.62);
    // Sun with a soft halo.
    const double sun = std::hypot(u - 0.72, v - 0.26);
    if (sun < 0.075)
        colour = Pixel{255, 236, 120, 255};
    else if (sun < 0.16)
        colour = mix(Pixel{255, 220, 130, 255}, colour, (sun - 0.075) / 0.085);
    // Two ranges of hills.
    const double far = 0.55 - 0.06 * std::sin(u * 9.0) - 0.03 * std::sin(u * 23.0 + 1.0);
    if (v > far) colour = mix(Pixel{90, 110, 150, 255}, Pixel{70, 95, 120, 255}, (v - far) * 8);
    const double nearHill = 0.66 - 0.08 * std::cos(u * 5.0 + 0.5);
    if (v > nearHill) {
        colour = mix(Pixel{60, 140, 60, 255}, Pixel{20, 80, 30, 255}, (v - nearHill) * 4);
        // Rows of a field, as fine detail.
        if (static_cast<int>(std::floor((u + v * 0.7) * 140.0)) % 2 == 0) {
            colour = tesselane::scalePixel(colour, 1.15);
        }
    }
    // A lake with a reflected sun.
    const double lake = std::pow((u - 0.3) / 0.22, 2.0) + std::pow((v - 0.86) / 0.07, 2.0);
    if (lake < 1.0) {
        colour = mix(Pixel{30, 90, 170, 255}, Pixel{120, 180, 230, 255}, 1.0 - lake);
        if (std::fabs(u - 0.3) < 0.03 && static_cast<int>(v * 200) % 3 == 0) {
            colour = Pixel{255, 230, 150, 255};
        }
    }
    // A kite: a striped diamond with a string.
    const double ku = (u - 0.28) / 0.09;
    const double kv = (v - 0.22) / 0.13;
    if (std::fabs(ku) + std::fabs(kv) < 1.0) {
        const Pixel stripes[3] = {{220, 40, 50, 255}, {250, 250, 250, 255}, {30, 60, 200, 255}};
        colour = stripes[static_cast<int>(std::floor((ku + kv + 3.0) * 2.0)) % 3];
    }
    const double string = 0.35 + (u - 0.28) * 1.6 + 0.03 * std::sin(u * 40.0);
    if (u > 0.28 && u < 0.5 && std::fabs(v - string) < 0.003) colour = Pixel{40, 40, 40, 255};
    return colour;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    const int width = argc == 4 ? std::atoi(argv[2]) : 320;
    const int height = argc == 4 ? std::atoi(argv[3]) : 240;
    if (width < 1 || height < 1 || width > 20000 || height > 20000) {
        std::fprintf(stderr, "%s: size must be 1..20000 each way\n", argv[0]);
        return 2;
    }
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.pixelAt(x, y) = paint((x + 0.5) / width, (y + 0.5) / height);
        }
    }
    if (!image.save(argv[1])) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
