#include "pictures/picture_scale.h"

#include <algorithm>
#include <new>

namespace dm::picture {

Size fitSize(std::int32_t width, std::int32_t height, std::int32_t maxWidth,
             std::int32_t maxHeight) {
  const std::int64_t w = width, h = height, mw = maxWidth;
  const std::int64_t mh = maxHeight > 0 ? maxHeight : 0;
  // Which bound binds: the width (or none) unless the height bound is tighter.
  const bool widthBinds = w > mw && (mh == 0 || w * mh >= h * mw);
  const bool heightBinds = mh > 0 && h > mh && !widthBinds;
  std::int64_t ow = w, oh = h;
  if (widthBinds) {
    ow = mw;
    oh = (2 * h * mw + w) / (2 * w);
  } else if (heightBinds) {
    oh = mh;
    ow = (2 * w * mh + h) / (2 * h);
  }
  ow = std::clamp<std::int64_t>(ow, 1, w);
  oh = std::clamp<std::int64_t>(oh, 1, h);
  if (mh > 0) oh = std::min(oh, mh);
  ow = std::min(ow, mw);
  return {static_cast<std::int32_t>(ow), static_cast<std::int32_t>(oh)};
}

std::vector<std::uint8_t> orientPicture(const std::vector<std::uint8_t>& rgb, std::int32_t width,
                                        std::int32_t height, int orientation) {
  const std::int64_t w = width, h = height;
  const bool turned = orientation >= 5 && orientation <= 8;
  const std::int64_t outWidth = turned ? h : w, outHeight = turned ? w : h;
  std::vector<std::uint8_t> out(rgb.size());
  for (std::int64_t y = 0; y < outHeight; ++y)
    for (std::int64_t x = 0; x < outWidth; ++x) {
      std::int64_t sx = x, sy = y;  // the stored pixel shown at (x, y)
      switch (orientation) {
        case 2: sx = w - 1 - x; break;                    // mirrored
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;    // upside down
        case 4: sy = h - 1 - y; break;                    // mirrored upside down
        case 5: sx = y; sy = x; break;                    // transposed
        case 6: sx = y; sy = h - 1 - x; break;            // turned a quarter left
        case 7: sx = w - 1 - y; sy = h - 1 - x; break;    // transverse
        case 8: sx = w - 1 - y; sy = x; break;            // turned a quarter right
        default: break;
      }
      const std::uint8_t* src = rgb.data() + (sy * w + sx) * 3;
      std::uint8_t* dst = out.data() + (y * outWidth + x) * 3;
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
  return out;
}

AreaScaler::AreaScaler(std::int32_t targetWidth, std::int32_t targetHeight)
    : dstWidth_(targetWidth), dstHeight_(targetHeight) {}

bool AreaScaler::begin(std::int32_t width, std::int32_t height) noexcept {
  if (width < 1 || height < 1 || dstWidth_ < 1 || dstHeight_ < 1 || srcHeight_ != 0)
    return false;
  try {
    srcWidth_ = width;
    srcHeight_ = height;
    // Source column i spans [i*dw, (i+1)*dw), target column x spans
    // [x*sw, (x+1)*sw) on a common integer axis.
    const std::int64_t sw = width, dw = dstWidth_;
    tapStart_.assign(static_cast<std::size_t>(dstWidth_) + 1, 0);
    taps_.clear();
    for (std::int64_t x = 0; x < dw; ++x) {
      tapStart_[x] = static_cast<std::int32_t>(taps_.size());
      const std::int64_t lo = x * sw, hi = (x + 1) * sw;
      for (std::int64_t i = lo / dw; i < sw && i * dw < hi; ++i) {
        const std::int64_t overlap = std::min(hi, (i + 1) * dw) - std::max(lo, i * dw);
        if (overlap > 0)
          taps_.push_back({static_cast<std::int32_t>(i),
                           static_cast<float>(static_cast<double>(overlap) / sw)});
      }
    }
    tapStart_[dstWidth_] = static_cast<std::int32_t>(taps_.size());
    scaledRow_.assign(static_cast<std::size_t>(dstWidth_) * 3, 0.0f);
    pending_.clear();
    out_.assign(static_cast<std::size_t>(dstWidth_) * dstHeight_ * 3, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool AreaScaler::row(const std::uint8_t* rgb) noexcept {
  if (nextSrcRow_ >= srcHeight_) return false;
  for (std::int32_t x = 0; x < dstWidth_; ++x) {
    float r = 0, g = 0, b = 0;
    for (std::int32_t t = tapStart_[x]; t < tapStart_[x + 1]; ++t) {
      const std::uint8_t* p = rgb + static_cast<std::size_t>(taps_[t].source) * 3;
      r += taps_[t].weight * p[0];
      g += taps_[t].weight * p[1];
      b += taps_[t].weight * p[2];
    }
    scaledRow_[x * 3] = r;
    scaledRow_[x * 3 + 1] = g;
    scaledRow_[x * 3 + 2] = b;
  }
  // Source row y spans [y*dh, (y+1)*dh), target row r spans [r*sh, (r+1)*sh).
  const std::int64_t sh = srcHeight_, dh = dstHeight_, y = nextSrcRow_;
  const std::int64_t lo = y * dh, hi = (y + 1) * dh;
  const std::size_t rowSize = static_cast<std::size_t>(dstWidth_) * 3;
  for (std::int64_t r = lo / sh; r < dh && r * sh < hi; ++r) {
    const std::int64_t overlap = std::min(hi, (r + 1) * sh) - std::max(lo, r * sh);
    if (overlap <= 0) continue;
    const std::size_t slot = static_cast<std::size_t>(r - firstPending_);
    try {
      if (pending_.size() < (slot + 1) * rowSize) pending_.resize((slot + 1) * rowSize, 0.0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    double* acc = pending_.data() + slot * rowSize;
    const double w = static_cast<double>(overlap) / static_cast<double>(sh);
    for (std::size_t k = 0; k < rowSize; ++k) acc[k] += w * scaledRow_[k];
  }
  ++nextSrcRow_;
  // Emit every target row whose area lies wholly above the next source row.
  while (firstPending_ < dstHeight_ &&
         (static_cast<std::int64_t>(firstPending_) + 1) * sh <= nextSrcRow_ * dh)
    emitRow(firstPending_);
  return true;
}

void AreaScaler::emitRow(std::int32_t r) {
  const std::size_t rowSize = static_cast<std::size_t>(dstWidth_) * 3;
  std::uint8_t* dst = out_.data() + static_cast<std::size_t>(r) * rowSize;
  for (std::size_t k = 0; k < rowSize; ++k) {
    const double v = k < pending_.size() ? pending_[k] : 0.0;
    dst[k] = static_cast<std::uint8_t>(std::clamp(v + 0.5, 0.0, 255.0));
  }
  if (pending_.size() > rowSize)
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(rowSize));
  else
    pending_.clear();
  ++firstPending_;
}

}  // namespace dm::picture
