#include "png.h"

#include <spng.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace dsc {

namespace {

struct ContextDeleter {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextDeleter>;

std::string failure(int error) {
    return std::string("PNG: ") + spng_strerror(error);
}

} // namespace

std::string decodePng(std::span<const std::uint8_t> png, Raster& image, const PngLimits& limits) {
    image = Raster{};
    Context ctx(spng_ctx_new(0));
    if (!ctx) {
        return "PNG: not enough memory";
    }
    spng_set_image_limits(ctx.get(), static_cast<std::uint32_t>(limits.maxDimension),
                          static_cast<std::uint32_t>(limits.maxDimension));
    spng_set_chunk_limits(ctx.get(), limits.maxChunkBytes, limits.maxCachedBytes);
    if (const int e = spng_set_png_buffer(ctx.get(), png.data(), png.size())) {
        return failure(e);
    }
    spng_ihdr ihdr{};
    if (const int e = spng_get_ihdr(ctx.get(), &ihdr)) {
        return failure(e);
    }
    std::size_t bytes = 0;
    if (const int e = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &bytes)) {
        return failure(e);
    }
    const int width = static_cast<int>(ihdr.width), height = static_cast<int>(ihdr.height);
    if (bytes != std::size_t(width) * std::size_t(height) * 4) {
        return "PNG: unexpected decoded size";
    }
    if (!allocateRaster(image, width, height, 0)) {
        return "PNG: not enough memory for the image";
    }
    // RGBA bytes land in the raster's words, then each word is turned into 0xAARRGGBB in place.
    if (const int e = spng_decode_image(ctx.get(), image.pixels.data(), bytes, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS)) {
        image = Raster{};
        return failure(e);
    }
    for (auto& p : image.pixels) {
        const auto* b = reinterpret_cast<const std::uint8_t*>(&p);
        p = (std::uint32_t{b[3]} << 24) | (std::uint32_t{b[0]} << 16) | (std::uint32_t{b[1]} << 8) | b[2];
    }
    return {};
}

std::string encodePng(const Raster& image, std::vector<std::uint8_t>& png) {
    png.clear();
    if (image.empty()) {
        return "PNG: no image";
    }
    bool opaque = true;
    for (std::uint32_t p : image.pixels) {
        opaque &= (p >> 24) == 0xFF;
    }
    const int channels = opaque ? 3 : 4;
    std::vector<std::uint8_t> rows;
    try {
        rows.resize(image.pixels.size() * channels);
    } catch (const std::bad_alloc&) {
        return "PNG: not enough memory";
    }
    std::uint8_t* out = rows.data();
    for (std::uint32_t p : image.pixels) {
        *out++ = static_cast<std::uint8_t>(p >> 16);
        *out++ = static_cast<std::uint8_t>(p >> 8);
        *out++ = static_cast<std::uint8_t>(p);
        if (!opaque) {
            *out++ = static_cast<std::uint8_t>(p >> 24);
        }
    }
    Context ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) {
        return "PNG: not enough memory";
    }
    spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1); // thumbnails: fast over small
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(image.width);
    ihdr.height = static_cast<std::uint32_t>(image.height);
    ihdr.bit_depth = 8;
    ihdr.color_type = opaque ? SPNG_COLOR_TYPE_TRUECOLOR : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (const int e = spng_set_ihdr(ctx.get(), &ihdr)) {
        return failure(e);
    }
    if (const int e = spng_encode_image(ctx.get(), rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE)) {
        return failure(e);
    }
    std::size_t length = 0;
    int error = 0;
    std::unique_ptr<void, decltype(&std::free)> buffer(spng_get_png_buffer(ctx.get(), &length, &error), &std::free);
    if (!buffer) {
        return failure(error);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer.get());
    png.assign(bytes, bytes + length);
    return {};
}

} // namespace dsc
