#pragma once

#include <string>

// Unpacks every member of non-zero size from the container into the output directory.
// Returns only after a run that succeeded completely; every failure ends the process.
void ExtractContainer(const std::string& containerPath, const std::string& outputDir);
