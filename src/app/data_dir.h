// Where the viewer's own data lies: beside the executable, in the data directory an install
// puts next to its bin/ (the build tree has the same layout), found from the executable's
// path at run time so that a relocated install still finds it.
#pragma once

#include <cstddef>

// The file `name` in the data directory `dataFromBin` (relative to the executable's
// directory, e.g. "../share/patchlume") of the executable at the absolute `exePath`, written
// to out as "EXEDIR/DATAFROMBIN/NAME". False, with out empty, when exePath has no directory
// part or the result does not fit in capacity bytes.
bool dataFileBeside(const char* exePath, const char* dataFromBin, const char* name, char* out,
                    std::size_t capacity);

// Sets defaultAtlasPath to cubemap.png in the data directory of the running executable
// (/proc/self/exe); leaves it empty when that path can't be read.
void locateDefaultAtlas();

// The atlas to read at start-up: "cubemap.png" of the working directory, or the default
// atlas when there is no such file and a default is known.
const char* atlasFileToRead();
