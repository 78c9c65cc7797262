// Writes the patient files in a loop until it is killed: crashchild FOLDER
#include "crashsteps.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    patients::PatientStore store{WorkFolder(QString::fromLocal8Bit(argv[1]))};
    if (store.load())
        return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;)
        if (!crashtest::step(store))
            return 1;
}
