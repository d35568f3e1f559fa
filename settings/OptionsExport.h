// The options export file: the registry editor's import format, byte for
// byte, written from the Options in memory.
#pragma once

#include "settings/Options.h"

#include <string>

namespace qm {

// Every line ends in CR LF; a separator line is one CR, so it stands in the
// file as CR CR LF. Nothing follows the last token line but, when they differ
// from their defaults, the network options in a section of their own.
std::string BuildExportFile(const Options& options);

} // namespace qm
