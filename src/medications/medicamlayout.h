#pragma once
// Where the records of the medication file lie in its bytes, so that an edit changes only the
// bytes of the point record it touches and every other byte stays as it was read.
#include <string_view>
#include <vector>

namespace medicam::layout {

using Bytes = std::string_view;

// The bytes [from, to) of the file.
struct Span {
    size_t from = 0;
    size_t to = 0;
};

struct Records {
    std::vector<Span> meridians; // each record's bytes after its "]["
    // No closing "][" follows the records: the file has no marker at all, or it was cut short
    // inside a record, whose text is then the one after the last "][". A record added goes to
    // the end and a closing marker after it.
    bool unclosed = true;
    size_t insertAt = 0; // where "][" and a new record go
};
// Text after the last "][" is no record, except in a file cut short: one that holds fewer
// than `expected` records before it.
Records records(Bytes file, size_t expected);
// The point records of a meridian record: each one's bytes after its "><". Before the first
// "><" is the meridian's name line.
std::vector<Span> points(Bytes file, Span meridian);
// The medication lines of a point record, each with its LF: the lines after the name line.
// The text after the last LF is no medication.
std::vector<Span> lines(Bytes file, Span point);

} // namespace medicam::layout
