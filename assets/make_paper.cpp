// Paints the sheet of typing paper the saver feeds in: warm off-white with a
// faint grain, a few pale fibres and edges that darken a little. Deterministic,
// so every build ships the same picture.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
std::uint32_t seed = 0x7a9e5u;

double unitNoise()
{
    seed = seed * 1664525u + 1013904223u;
    return static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
}
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_paper OUTPUT.bmp\n");
        return 2;
    }
    const int width = 850;
    const int height = 1100;
    std::vector<double> shade(static_cast<size_t>(width) * height, 1.0);

    // Grain: a little noise, smoothed so it reads as texture and not as dots.
    std::vector<double> grain(shade.size());
    for (double& g : grain)
        g = unitNoise() - 0.5;
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x) {
            size_t i = static_cast<size_t>(y) * width + x;
            double s = grain[i] * 0.5 + (grain[i - 1] + grain[i + 1] + grain[i - width] + grain[i + width]) * 0.125;
            shade[i] += s * 0.035;
        }

    // Fibres: short, faint, slightly curved strokes.
    for (int f = 0; f < 900; ++f) {
        double x = unitNoise() * width;
        double y = unitNoise() * height;
        double angle = unitNoise() * 6.2832;
        double bend = (unitNoise() - 0.5) * 0.08;
        int length = 8 + static_cast<int>(unitNoise() * 30);
        double depth = 0.012 + unitNoise() * 0.02;
        for (int step = 0; step < length; ++step) {
            int px = static_cast<int>(x);
            int py = static_cast<int>(y);
            if (px >= 0 && px < width && py >= 0 && py < height)
                shade[static_cast<size_t>(py) * width + px] -= depth;
            x += std::cos(angle);
            y += std::sin(angle);
            angle += bend;
        }
    }

    // Edges: the last few percent of the sheet fall off gently in brightness.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double dx = std::min(x, width - 1 - x) / (width * 0.04);
            double dy = std::min(y, height - 1 - y) / (width * 0.04);
            double edge = std::min({dx, dy, 1.0});
            shade[static_cast<size_t>(y) * width + x] *= 0.90 + 0.10 * std::sqrt(edge);
        }

    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
    if (!surface) {
        std::fprintf(stderr, "make_paper: %s\n", SDL_GetError());
        return 1;
    }
    const double base[3] = {248.0, 244.0, 232.0};
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
        for (int x = 0; x < width; ++x) {
            double s = shade[static_cast<size_t>(y) * width + x];
            for (int c = 0; c < 3; ++c)
                row[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(base[c] * s, 0.0, 255.0));
        }
    }
    int result = SDL_SaveBMP(surface, argv[1]);
    SDL_FreeSurface(surface);
    if (result != 0) {
        std::fprintf(stderr, "make_paper: %s\n", SDL_GetError());
        return 1;
    }
    return 0;
}
