#pragma once
// A property that does not hold stops the run with the values, so libFuzzer keeps the
// input that broke it.
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line, const QString& detail) {
    std::fprintf(stderr, "%s:%d: property broken: %s %s\n", file, line, what,
                 detail.toUtf8().left(2000).constData());
    std::abort();
}

} // namespace fuzz

#define FUZZ_CHECK(cond, detail)                                                                             \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            fuzz::fail(#cond, __FILE__, __LINE__, (detail));                                                 \
    } while (false)
