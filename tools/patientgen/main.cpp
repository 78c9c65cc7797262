// taven-patientgen FOLDER PATIENTS VISITS [BIGVISITS]: a patient database for tests and
// benchmarks, written under FOLDER/Database.
#include "patientgen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s FOLDER PATIENTS VISITS [BIGVISITS]\n", argv[0]);
        return 2;
    }
    patientgen::Options o;
    o.patients = std::atoi(argv[2]);
    o.visits = std::atoi(argv[3]);
    o.bigVisits = argc > 4 ? std::atoi(argv[4]) : 0;
    return patientgen::writeDatabase(QString::fromLocal8Bit(argv[1]), o) ? 0 : 1;
}
