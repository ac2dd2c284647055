#pragma once
// Source files are UTF-8; the program's texts are GBK. Each folder keeps its fixed texts in
// one place, declared with GBK_CONSTANT, and converts each once, on first use.
// The value is deliberately never destroyed: a worker may still read it while the process ends.

#include "text/charset.h"

#define GBK_CONSTANT(name, utf8_literal)                                               \
    inline const ::text::Text& name() {                                                \
        static const ::text::Text* value = new ::text::Text(::text::utf8_to_gbk(utf8_literal)); \
        return *value;                                                                 \
    }
