#include "formats/raster/png.h"

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

void toArgb(const std::uint8_t* rgba, std::uint32_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, rgba += 4) {
        out[i] =
            (std::uint32_t{rgba[3]} << 24) | (std::uint32_t{rgba[0]} << 16) | (std::uint32_t{rgba[1]} << 8) | rgba[2];
    }
}

} // namespace

std::string decodePng(std::span<const std::uint8_t> png, RowSink& sink, const PngLimits& limits) {
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
    const std::size_t rowBytes = std::size_t(width) * 4;
    if (bytes != rowBytes * std::size_t(height)) {
        return "PNG: unexpected decoded size";
    }
    spng_trns trns{};
    const bool hasAlpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                          ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || spng_get_trns(ctx.get(), &trns) == 0;
    // Interlaced images come in seven passes: those are decoded whole, the others a row at a time.
    const bool interlaced = ihdr.interlace_method != 0;
    std::vector<std::uint8_t> rgba;
    std::vector<std::uint32_t> row;
    try {
        rgba.resize(interlaced ? bytes : rowBytes);
        row.resize(static_cast<std::size_t>(width));
    } catch (const std::bad_alloc&) {
        return "PNG: not enough memory for the image";
    }
    if (interlaced) {
        if (const int e = spng_decode_image(ctx.get(), rgba.data(), bytes, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS)) {
            return failure(e);
        }
        if (!sink.begin(width, height, !hasAlpha)) {
            return "PNG: not enough memory for the image";
        }
        for (int y = 0; y < height; ++y) {
            toArgb(rgba.data() + std::size_t(y) * rowBytes, row.data(), row.size());
            sink.row(row.data());
        }
        return {};
    }
    if (const int e =
            spng_decode_image(ctx.get(), nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE)) {
        return failure(e);
    }
    bool begun = false;
    for (int y = 0; y < height; ++y) {
        const int e = spng_decode_row(ctx.get(), rgba.data(), rowBytes);
        if (e != 0 && !(e == SPNG_EOI && y == height - 1)) {
            return failure(e);
        }
        // The sink is only told once the first row decoded: a broken file costs it nothing.
        if (!begun && !(begun = sink.begin(width, height, !hasAlpha))) {
            return "PNG: not enough memory for the image";
        }
        toArgb(rgba.data(), row.data(), row.size());
        sink.row(row.data());
    }
    return {};
}

std::string decodePng(std::span<const std::uint8_t> png, Raster& image, const PngLimits& limits) {
    RasterSink sink;
    std::string why = decodePng(png, sink, limits);
    image = why.empty() ? sink.take() : Raster{};
    return why;
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
    // CAD pictures are flat colours: no row filter compresses them best, and costs nothing.
    spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING);
    // A 4 KB window: a thumbnail's rows are short, and the compressor's memory is most of the
    // pages a thumbnail process touches.
    spng_set_option(ctx.get(), SPNG_IMG_WINDOW_BITS, 12);
    spng_set_option(ctx.get(), SPNG_IMG_MEM_LEVEL, 6);
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
