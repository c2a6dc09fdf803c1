// Draws the saver's icon: a sheet of typing paper with a folded corner and one
// line of type. Writes the .ico Windows uses (16, 32 and 48 px as bitmaps,
// 256 px as PNG) and the installer's welcome-page picture, which carries the
// same sheet. Deterministic, so every build ships the same pictures.
//   make_icon ICON.ico WELCOME.bmp
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {
struct Rgba {
    double r, g, b, a;
};

// Straight-alpha "over", with the colours in 0..255 and alpha in 0..1.
Rgba over(Rgba top, Rgba under)
{
    double a = top.a + under.a * (1 - top.a);
    if (a <= 0)
        return {0, 0, 0, 0};
    auto mix = [&](double t, double u) { return (t * top.a + u * under.a * (1 - top.a)) / a; };
    return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), a};
}

// The sheet in unit coordinates (y downwards), its corner folded over.
constexpr double left = 0.17, right = 0.81, top = 0.05, bottom = 0.93, fold = 0.18;

bool insideSheet(double x, double y, double inset)
{
    if (x < left + inset || x > right - inset || y < top + inset || y > bottom - inset)
        return false;
    // Below the fold's diagonal (x - y <= right - fold - top), moved inwards by inset.
    return (x - y) <= (right - fold - top) - inset * std::sqrt(2.0);
}

// The flap of the folded corner, lying on the sheet below the diagonal.
bool insideFold(double x, double y, double inset)
{
    return x >= right - fold + inset && y <= top + fold - inset
        && (x - y) <= (right - fold - top) - inset * std::sqrt(2.0);
}

// One typed line in a typewriter's fixed pitch: tall letters, short ones,
// letters with descenders and a gap for the space.
bool insideType(double x, double y)
{
    static const char* const line = "Tapwrite types";
    const double start = 0.25, pitch = 0.036, glyph = 0.027, base = 0.60, xHeight = 0.055, tall = 0.085;
    if (x < start || y < base - tall || y > base + 0.03)
        return false;
    size_t index = static_cast<size_t>((x - start) / pitch);
    if (index >= std::strlen(line) || x - start - index * pitch > glyph)
        return false;
    char c = line[index];
    if (c == ' ')
        return false;
    double from = std::strchr("Ttdlkhbf", c) ? base - tall : base - xHeight;
    double to = std::strchr("pyqg", c) ? base + 0.03 : base;
    return y >= from && y <= to;
}

// The colour of one point of the icon at this pixel size; the outline keeps
// at least a pixel wide so the sheet stands out on a white desktop too.
Rgba iconPoint(double x, double y, int size)
{
    const double outline = std::max(1.0 / size, 0.025);
    const Rgba shadow{0, 0, 0, 0.28}, edge{92, 86, 76, 1}, paper{248, 244, 232, 1}, folded{214, 208, 192, 1},
        ink{34, 30, 28, 1};
    Rgba colour{0, 0, 0, 0};
    if (insideSheet(x - 0.03, y - 0.03, 0))
        colour = shadow;
    if (insideSheet(x, y, 0))
        colour = edge;
    if (insideSheet(x, y, outline))
        colour = paper;
    if (insideFold(x, y, 0))
        colour = insideFold(x, y, outline) ? folded : edge;
    if (insideType(x, y))
        colour = ink;
    return colour;
}

// The icon drawn at size px with 8x8 samples a pixel, as straight-alpha RGBA.
std::vector<Rgba> drawIcon(int size)
{
    const int samples = 8;
    std::vector<Rgba> pixels(static_cast<size_t>(size) * size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    Rgba c = iconPoint((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size, size);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            Rgba& out = pixels[static_cast<size_t>(py) * size + px];
            out = a > 0 ? Rgba{r / a, g / a, b / a, a / (samples * samples)} : Rgba{0, 0, 0, 0};
        }
    return pixels;
}

std::uint8_t byte(double v)
{
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

void put16(std::string& out, unsigned v)
{
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}

void put32(std::string& out, unsigned v)
{
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

// An icon image as Windows' classic form: a 32-bit DIB, bottom-up, followed
// by the 1-bit mask of its transparent pixels.
std::string dibImage(const std::vector<Rgba>& pixels, int size)
{
    const unsigned maskPitch = ((size + 31) / 32) * 4;
    std::string out;
    put32(out, 40);
    put32(out, size);
    put32(out, size * 2); // colour and mask together
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, size * size * 4 + maskPitch * size);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const Rgba& p = pixels[static_cast<size_t>(y) * size + x];
            out += static_cast<char>(byte(p.b));
            out += static_cast<char>(byte(p.g));
            out += static_cast<char>(byte(p.r));
            out += static_cast<char>(byte(p.a * 255));
        }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(maskPitch, '\0');
        for (int x = 0; x < size; ++x)
            if (byte(pixels[static_cast<size_t>(y) * size + x].a * 255) == 0)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out += row;
    }
    return out;
}

SDL_Surface* surfaceOf(const std::vector<Rgba>& pixels, int size)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface)
        return nullptr;
    for (int y = 0; y < size; ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
        for (int x = 0; x < size; ++x) {
            const Rgba& p = pixels[static_cast<size_t>(y) * size + x];
            const std::uint8_t rgba[4] = {byte(p.r), byte(p.g), byte(p.b), byte(p.a * 255)};
            std::memcpy(row + x * 4, rgba, 4);
        }
    }
    return surface;
}

// The large size as PNG, as Windows since Vista stores it.
bool pngImage(const std::vector<Rgba>& pixels, int size, std::string& out)
{
    SDL_Surface* surface = surfaceOf(pixels, size);
    if (!surface)
        return false;
    std::vector<char> buffer(static_cast<size_t>(size) * size * 5 + 4096);
    SDL_RWops* memory = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
    bool ok = memory && IMG_SavePNG_RW(surface, memory, 0) == 0;
    if (ok)
        out.assign(buffer.data(), static_cast<size_t>(SDL_RWtell(memory)));
    if (memory)
        SDL_RWclose(memory);
    SDL_FreeSurface(surface);
    return ok;
}

bool writeIcon(const char* path)
{
    const int sizes[] = {16, 32, 48, 256};
    const int count = sizeof sizes / sizeof sizes[0];
    std::vector<std::string> images;
    for (int size : sizes) {
        std::vector<Rgba> pixels = drawIcon(size);
        std::string image;
        if (size < 256)
            image = dibImage(pixels, size);
        else if (!pngImage(pixels, size, image))
            return false;
        images.push_back(image);
    }
    std::string out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, count);
    unsigned offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>(sizes[i] & 0xff); // 256 is written as 0
        out += static_cast<char>(sizes[i] & 0xff);
        out += '\0';
        out += '\0';
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<unsigned>(images[i].size()));
        put32(out, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const std::string& image : images)
        out += image;
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

// The welcome and finish pages' picture (164x314, the size the installer's
// pages show): the sheet over a dusk-blue ground.
bool writeWelcome(const char* path)
{
    const int width = 164, height = 314, iconSize = 128, iconX = (width - iconSize) / 2, iconY = 56;
    std::vector<Rgba> icon = drawIcon(iconSize);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 24, SDL_PIXELFORMAT_RGB24);
    if (!surface)
        return false;
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
        double t = static_cast<double>(y) / (height - 1);
        for (int x = 0; x < width; ++x) {
            Rgba colour{44 - 22 * t, 60 - 28 * t, 92 - 40 * t, 1};
            int ix = x - iconX, iy = y - iconY;
            if (ix >= 0 && ix < iconSize && iy >= 0 && iy < iconSize)
                colour = over(icon[static_cast<size_t>(iy) * iconSize + ix], colour);
            row[x * 3] = byte(colour.r);
            row[x * 3 + 1] = byte(colour.g);
            row[x * 3 + 2] = byte(colour.b);
        }
    }
    bool ok = SDL_SaveBMP(surface, path) == 0;
    SDL_FreeSurface(surface);
    return ok;
}
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon ICON.ico WELCOME.bmp\n");
        return 2;
    }
    if (!writeIcon(argv[1])) {
        std::fprintf(stderr, "make_icon: cannot write %s: %s\n", argv[1], SDL_GetError());
        return 1;
    }
    if (!writeWelcome(argv[2])) {
        std::fprintf(stderr, "make_icon: cannot write %s: %s\n", argv[2], SDL_GetError());
        return 1;
    }
    return 0;
}
