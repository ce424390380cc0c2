// The picture codecs, a library of their own below the phases: the intake
// probes the user's pictures with it, the conversion and the media phases
// convert them.
//
//   picture_library.h   CheckFileFormat and PictureZoom, the entry points
//   bmp_reader.h, jpeg_codec.h, gif_reader.h   reading the three formats
//   picture_raster.h, picture_scale.h, picture_convert.h, picture_stream.h
//                       pixels, scaling, conversion and the file streams
//   riff_chunk.h        the RIFF chunk walk of RMP sounds
#pragma once

#include "pictures/picture_library.h"
