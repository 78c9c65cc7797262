#pragma once
// The data files the main window takes in at start, read without the window, so that
// start-up can read them while the system's fonts are still being set up. What failed is
// kept for the window to say.
#include "catalogue/functiontext.h"
#include "common/workfolder.h"
#include "medications/medicamdb.h"

#include <QString>
#include <optional>

struct StartFiles {
    std::optional<QString> function; // the point functions' text; none when unreadable
    QString functionError;
    catalogue::FunctionText functionLines;
    medicam::Database medications;
    std::optional<QString> ini; // the settings line; none when unreadable
    QString iniError;
};

StartFiles readStartFiles(const WorkFolder& folder);
