#include "ScaledThumbnail.h"

#include "CardFile.h"
#include "sim/Jpeg.h"

#include <memory>

namespace cdsim {
namespace {

constexpr int thumbnailSide = 160;
// A header claiming more is taken for damaged: a few hundred bytes can claim
// a picture whose decoding would take gigabytes.
constexpr double maximumPixels = 200e6;

// The largest scaling that fits the thumbnail, else the smallest there is.
tjscalingfactor fittingScale(int width, int height) {
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    tjscalingfactor best = {1, 8};
    double bestRatio = 0;
    for (int i = 0; i < count; ++i) {
        const double ratio = double(factors[i].num) / factors[i].denom;
        if (ratio <= 1 && ratio > bestRatio && TJSCALED(width, factors[i]) <= thumbnailSide &&
            TJSCALED(height, factors[i]) <= thumbnailSide) {
            best = factors[i];
            bestRatio = ratio;
        }
    }
    return best;
}

} // namespace

Bytes scaledThumbnail(const std::filesystem::path& jpeg) {
    return scaledThumbnail(readBoundedFile(jpeg, WholeReadLimit).value_or(Bytes()));
}

Bytes scaledThumbnail(const Bytes& picture) {
    TurboJpeg decoder(tjInitDecompress());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (!decoder.get() ||
        tjDecompressHeader3(decoder.get(), picture.data(),
                            static_cast<unsigned long>(picture.size()), &width, &height,
                            &subsampling, &colorspace) != 0 ||
        double(width) * height > maximumPixels) {
        return {};
    }
    const tjscalingfactor scale = fittingScale(width, height);
    const int scaledWidth = TJSCALED(width, scale);
    const int scaledHeight = TJSCALED(height, scale);
    Bytes pixels(static_cast<size_t>(scaledWidth) * scaledHeight * 3);
    if (tjDecompress2(decoder.get(), picture.data(), static_cast<unsigned long>(picture.size()),
                      pixels.data(), scaledWidth, 0, scaledHeight, TJPF_RGB, 0) != 0) {
        return {};
    }
    return encodeRgb(pixels.data(), scaledWidth, scaledHeight, 80);
}

} // namespace cdsim
