// Fitting a picture into a box and scaling it by area averaging. The scaler
// takes the source row by row, so a large picture never has to be held
// decoded in memory as a whole.
#pragma once

#include <cstdint>
#include <vector>

#include "pictures/picture_raster.h"

namespace dm::picture {

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The size of a `width` x `height` picture fitted within `maxWidth` and, when
// `maxHeight` is above 0, within `maxHeight`: aspect ratio kept (rounded to
// the nearest pixel, at least 1), never enlarged. Requires width, height and
// maxWidth of 1 or more.
Size fitSize(std::int32_t width, std::int32_t height, std::int32_t maxWidth,
             std::int32_t maxHeight);

// Turns an RGB picture (rows top first) by an EXIF orientation (1-8) so that
// it shows upright; orientations 5 to 8 swap width and height.
std::vector<std::uint8_t> orientPicture(const std::vector<std::uint8_t>& rgb, std::int32_t width,
                                        std::int32_t height, int orientation);

// A RowSink that scales the rows it receives to a fixed target size. Every
// target pixel is the average of the source area it covers, partly covered
// source pixels weighted by their share, computed in exact integer positions.
class AreaScaler : public RowSink {
 public:
  AreaScaler(std::int32_t targetWidth, std::int32_t targetHeight);

  bool begin(std::int32_t width, std::int32_t height) noexcept override;
  bool row(const std::uint8_t* rgb) noexcept override;

  // True once every source row has arrived.
  bool complete() const { return srcHeight_ > 0 && nextSrcRow_ == srcHeight_; }
  std::int32_t width() const { return dstWidth_; }
  std::int32_t height() const { return dstHeight_; }
  // The scaled picture, RGB, top row first (valid once complete()).
  const std::vector<std::uint8_t>& pixels() const { return out_; }

 private:
  struct Tap {
    std::int32_t source;  // source column
    float weight;         // share of the target column, weights sum to 1
  };

  void emitRow(std::int32_t r);

  std::int32_t dstWidth_;
  std::int32_t dstHeight_;
  std::int32_t srcWidth_ = 0;
  std::int32_t srcHeight_ = 0;
  std::int32_t nextSrcRow_ = 0;
  std::int32_t firstPending_ = 0;  // lowest target row not yet emitted
  std::vector<std::int32_t> tapStart_;  // per target column, index into taps_
  std::vector<Tap> taps_;
  std::vector<float> scaledRow_;        // current source row, scaled across
  std::vector<double> pending_;         // accumulators of pending target rows
  std::vector<std::uint8_t> out_;
};

}  // namespace dm::picture
