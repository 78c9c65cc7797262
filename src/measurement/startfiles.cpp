#include "measurement/startfiles.h"

#include "catalogue/catalogue.h"
#include "common/text1251.h"
#include "measurement/settings.h"

StartFiles readStartFiles(const WorkFolder& folder) {
    StartFiles f;
    f.function = textfile::read(folder.path(catalogue::kFunctionFile), &f.functionError);
    f.functionLines = catalogue::readFunctionText(f.function.value_or(QString()), catalogue::kFunctionFile);
    f.medications = medicam::Database::load(folder);
    f.ini = textfile::read(folder.path(settings::kFileName), &f.iniError);
    return f;
}
