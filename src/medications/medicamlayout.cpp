#include "medications/medicamlayout.h"

namespace medicam::layout {

namespace {

constexpr size_t kNone = Bytes::npos;

// Positions of `mark` in [from, to), not overlapping.
std::vector<size_t> marks(Bytes file, Bytes mark, size_t from, size_t to) {
    std::vector<size_t> at;
    const Bytes part = file.substr(0, to);
    for (size_t k = part.find(mark, from); k != kNone; k = part.find(mark, k + mark.size()))
        at.push_back(k);
    return at;
}

bool isBlank(Bytes s) {
    return s.find_first_not_of(" \t\r\n\v\f") == kNone;
}

} // namespace

Records records(Bytes file, size_t expected) {
    Records r;
    const std::vector<size_t> at = marks(file, "][", 0, file.size());
    r.insertAt = file.size();
    if (at.empty())
        return r;
    for (size_t k = 0; k + 1 < at.size(); ++k)
        r.meridians.push_back({at[k] + 2, at[k + 1]});
    const Span tail{at.back() + 2, file.size()};
    if (r.meridians.size() < expected && !isBlank(file.substr(tail.from))) {
        r.meridians.push_back(tail);
        return r;
    }
    r.unclosed = false;
    r.insertAt = at.back();
    return r;
}

std::vector<Span> points(Bytes file, Span meridian) {
    const std::vector<size_t> at = marks(file, "><", meridian.from, meridian.to);
    std::vector<Span> out;
    for (size_t k = 0; k < at.size(); ++k)
        out.push_back({at[k] + 2, k + 1 < at.size() ? at[k + 1] : meridian.to});
    return out;
}

std::vector<Span> lines(Bytes file, Span point) {
    const std::vector<size_t> at = marks(file, "\n", point.from, point.to);
    std::vector<Span> out;
    for (size_t k = 1; k < at.size(); ++k)
        out.push_back({at[k - 1] + 1, at[k] + 1});
    return out;
}

} // namespace medicam::layout
