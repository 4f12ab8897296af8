/* Checks for the C clients of the tests: a failing call or condition writes
   the message and ends the function with 1. They need message and size. */
#ifndef CCHECK_H
#define CCHECK_H

#include <stdio.h>

#define CHECK(call)                                                                                \
    do {                                                                                           \
        const tsResult* result_ = (call);                                                          \
        if (result_->code != 0) {                                                                  \
            snprintf(message, size, "%s: code 0x%08X in %.50s", #call, (unsigned)result_->code,    \
                     result_->function);                                                           \
            return 1;                                                                              \
        }                                                                                          \
    } while (0)

#define REQUIRE_THAT(condition, detail)                                                            \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            snprintf(message, size, "%s: %s", #condition, detail);                                 \
            return 1;                                                                              \
        }                                                                                          \
    } while (0)

#endif
