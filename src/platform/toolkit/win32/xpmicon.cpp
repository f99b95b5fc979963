#include "xpmicon.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace comsend {

namespace {

// Pixels as 0xAARRGGBB, row by row, of a square image.
struct Image {
    int size = 0;
    std::vector<std::uint32_t> pixels;
};

std::optional<std::uint32_t> ParseColour(const char *value)
{
    if (std::strcmp(value, "None") == 0)
        return 0;
    unsigned rgb = 0;
    if (value[0] != '#' || std::strlen(value) != 7 || std::sscanf(value + 1, "%6x", &rgb) != 1)
        return std::nullopt;
    return 0xFF000000U | rgb;
}

std::optional<Image> ReadXpm(const char *const *xpm)
{
    int width = 0;
    int height = 0;
    int colours = 0;
    int perPixel = 0;
    if (xpm == nullptr || std::sscanf(xpm[0], "%d %d %d %d", &width, &height, &colours, &perPixel) != 4
        || perPixel != 1 || width != height || width <= 0 || width > 256 || colours <= 0 || colours > 256)
        return std::nullopt;
    std::array<std::optional<std::uint32_t>, 256> palette{};
    for (int i = 1; i <= colours; ++i) {
        const char *line = xpm[i];
        if (std::strlen(line) < 5 || std::strncmp(line + 1, " c ", 3) != 0)
            return std::nullopt;
        palette[static_cast<unsigned char>(line[0])] = ParseColour(line + 4);
    }
    Image image{width, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * width)};
    for (int y = 0; y < height; ++y) {
        const char *row = xpm[1 + colours + y];
        if (static_cast<int>(std::strlen(row)) != width)
            return std::nullopt;
        for (int x = 0; x < width; ++x) {
            const auto &colour = palette[static_cast<unsigned char>(row[x])];
            if (!colour)
                return std::nullopt;
            image.pixels[static_cast<std::size_t>(y) * width + x] = *colour;
        }
    }
    return image;
}

// A top-down 32-bit bitmap with the pixels, and its 1-bit mask (set where
// transparent), as icons are made of.
IconHandle MakeIcon(const Image &image, int size)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    BitmapHandle colour(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || bits == nullptr)
        return nullptr;
    // Mask rows are padded to 16 bits, as CreateBitmap wants.
    const int maskStride = ((size + 15) / 16) * 2;
    std::vector<unsigned char> mask(static_cast<std::size_t>(maskStride) * size, 0);
    auto *out = static_cast<std::uint32_t *>(bits);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int sx = x * image.size / size;
            const int sy = y * image.size / size;
            const std::uint32_t pixel = image.pixels[static_cast<std::size_t>(sy) * image.size + sx];
            out[static_cast<std::size_t>(y) * size + x] = pixel;
            if ((pixel >> 24) == 0)
                mask[static_cast<std::size_t>(y) * maskStride + x / 8] |=
                    static_cast<unsigned char>(0x80 >> (x % 8));
        }
    }
    BitmapHandle maskBitmap(::CreateBitmap(size, size, 1, 1, mask.data()));
    if (!maskBitmap)
        return nullptr;
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmMask = maskBitmap.get();
    icon.hbmColor = colour.get();
    return IconHandle(::CreateIconIndirect(&icon)); // it copies both bitmaps
}

} // namespace

IconHandle IconFromXpm(const char *const *xpm, int size)
{
    const auto image = ReadXpm(xpm);
    if (!image || size <= 0)
        return nullptr;
    return MakeIcon(*image, size);
}

} // namespace comsend
