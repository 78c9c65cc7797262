#pragma once
// Constant tables behind catalogue.h; nothing else reads them directly.
#include "common/resultshape.h"

namespace catalogue::data {

constexpr int kMeridianCount = session::kMeridianRows;
constexpr int kMaxRows = session::kPointRows;

struct PointRow {
    const char* number;      // UTF-8
    const char* description; // UTF-8
};

struct MeridianRow {
    const char* name;
    const PointRow* points;
    int count;
    int ktiRow;
    int kLeft;  // last function line of the left block
    int kRight; // last function line of the right block
};

// Disc centres in pixels of the 166 x 265 picture box.
struct BodyMapRow {
    const char* name;
    const char* leftPicture;
    const char* rightPicture;
    int count;
    int ktiRow;
    int xLeft[kMaxRows];
    int xRight[kMaxRows];
    int y[kMaxRows];
};

extern const MeridianRow kMeridians[kMeridianCount];
extern const BodyMapRow kBodyMap[kMeridianCount];

} // namespace catalogue::data
