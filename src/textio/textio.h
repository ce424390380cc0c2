// Text file toolkit: the line-level conventions every phase shares.
//  - wide_line.h: UTF-16LE work files (mark FF FE, CR LF lines) read and
//    written line by line with the 848,314-unit line buffer semantics;
//  - text_file.h: TextFile, the narrow line file with its 51,200-byte lines;
//  - tokenizer.h: nextField, lastOf, isDotEntry, widen.
#pragma once

#include "textio/text_file.h"
#include "textio/tokenizer.h"
#include "textio/wide_line.h"
