// Text file toolkit: the line-level conventions every phase shares.
//  - wide_line.h: UTF-16LE work files (mark FF FE, CR LF lines) read and
//    written line by line with the 848,314-unit line buffer semantics;
//  - text_file.h: TextFile, the narrow line file with its 51,200-byte lines;
//  - tokenizer.h: nextField, lastOf, isDotEntry, widen;
//  - pass_io.h: opening, closing and failing on the files of a pass;
//  - hex.h: hex digits read and written;
//  - byte_order.h: little- and big-endian integers in byte images.
#pragma once

#include "textio/byte_order.h"
#include "textio/hex.h"
#include "textio/pass_io.h"

#include "textio/text_file.h"
#include "textio/tokenizer.h"
#include "textio/wide_line.h"
